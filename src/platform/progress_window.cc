#include "platform/progress_window.h"

#include "platform/error.h"
#include "platform/interrupt.h"
#include "platform/standard_output.h"

namespace kelvane {

ProgressWindow::ProgressWindow(bool enabled, std::FILE* out)
    : enabled_(enabled), out_(out) {}

ProgressWindow::~ProgressWindow() { Close(); }

void ProgressWindow::Start() { shown_ = true; }

void ProgressWindow::SetStage(const std::string& text) { stage_ = text; }

void ProgressWindow::SetModel(const std::string& name) {
  model_ = name;
  status_.clear();
}

void ProgressWindow::Yield(int phase, int count, const std::string& phase_name) {
  if (!shown_) return;
  char counter[32];
  std::snprintf(counter, sizeof counter, "[%2d/%d] ", phase, count);
  status_ = counter + phase_name;
  Draw();
}

void ProgressWindow::PrintLine(const std::string& line) {
  bool redraw = drawn_;
  Clear();
  // A line names files and names from the input, which may hold control
  // bytes: they are shown escaped, so that the line stays one line.
  const std::string shown = Printable(line);
  std::fputs(shown.c_str(), out_);
  std::fputc('\n', out_);
  if (redraw) Draw();
  std::fflush(out_);
}

void ProgressWindow::PrintStandardOutput(std::string_view text) {
  const bool redraw = drawn_;
  Clear();
  try {
    WriteStandardOutput(text);
  } catch (const RunError&) {
    if (redraw) Draw();
    throw;
  }
  if (redraw) Draw();
}

void ProgressWindow::Close() {
  Clear();
  shown_ = false;
}

void ProgressWindow::Clear() {
  if (!drawn_) return;
  std::fputs("\r\033[K", out_);
  std::fflush(out_);
  drawn_ = false;
  SetProgressLineShown(false);
}

void ProgressWindow::Draw() {
  if (!enabled_ || !shown_) return;
  std::string line = std::string(kCaption) + "  " + stage_;
  if (!model_.empty()) line += "  " + model_;
  if (!status_.empty()) line += "  " + status_;
  std::fputs("\r", out_);
  std::fputs(line.c_str(), out_);
  std::fputs("\033[K", out_);
  std::fflush(out_);
  drawn_ = true;
  SetProgressLineShown(true);
}

}  // namespace kelvane
