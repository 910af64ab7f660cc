// The progress of a run as a one-line status on stderr: the program's name,
// the run's stage ("計算開始" while computing), the model and the phase being
// run, redrawn in place whenever the solver yields. Drawn only when enabled
// (by default when stderr is a terminal), so scripts stay quiet, and only
// between Start and Close.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

namespace kelvane {

class ProgressWindow {
 public:
  static constexpr const char* kCaption = "Kelvane2D";

  // `out` receives the drawing; nothing is drawn unless `enabled`.
  ProgressWindow(bool enabled, std::FILE* out);
  ~ProgressWindow();
  ProgressWindow(const ProgressWindow&) = delete;
  ProgressWindow& operator=(const ProgressWindow&) = delete;

  void Start();
  void SetStage(const std::string& text);
  const std::string& stage() const { return stage_; }
  // The model now being computed, shown beside the phase.
  void SetModel(const std::string& name);
  // The solver's yield: redraws with the phase (1-based) of `count`.
  void Yield(int phase, int count, const std::string& phase_name);
  // Prints a whole line (a warning, an error) without tearing the status.
  void PrintLine(const std::string& line);
  // Writes `text` as it is to standard output, which may share the
  // terminal, with the status line cleared first and drawn again after; a
  // write that fails is a RunError (platform/standard_output.h).
  void PrintStandardOutput(std::string_view text);
  // Clears the line; nothing is drawn after.
  void Close();
  bool shown() const { return shown_; }

 private:
  void Clear();
  void Draw();

  bool enabled_;
  std::FILE* out_;
  bool shown_ = false;
  bool drawn_ = false;
  std::string stage_;
  std::string model_;
  std::string status_;
};

}  // namespace kelvane
