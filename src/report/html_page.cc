#include "report/html_page.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <nlohmann/json.hpp>

#include "platform/base64.h"
#include "platform/number_text.h"
#include "platform/xml_text.h"
#include "report/html_assets.h"
#include "report/html_summary.h"
#include "report/html_tables.h"

namespace kelvane {
namespace {

std::string JsonText(const nlohmann::json& json) {
  return json.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

// The temperatures as float32, little-endian, as the page's script reads
// them: a quarter of their size as text, and as fine as a readout needs.
std::string Float32Bytes(const std::vector<float>& values) {
  std::string bytes(values.size() * 4, '\0');
  for (std::size_t i = 0; i < values.size(); ++i) {
    const auto bits = std::bit_cast<std::uint32_t>(values[i]);
    for (int b = 0; b < 4; ++b) bytes[4 * i + b] = static_cast<char>((bits >> (8 * b)) & 0xFF);
  }
  return bytes;
}

// The cells in as few bytes each as their largest entry needs: one for up
// to 255 names, which is every model but the rarest.
int CellWidth(const std::vector<std::uint32_t>& cells) {
  std::uint32_t largest = 0;
  for (std::uint32_t c : cells) largest = std::max(largest, c);
  return largest <= 0xFF ? 1 : largest <= 0xFFFF ? 2 : 4;
}

std::string CellBytes(const std::vector<std::uint32_t>& cells, int width) {
  std::string bytes(cells.size() * static_cast<std::size_t>(width), '\0');
  for (std::size_t i = 0; i < cells.size(); ++i) {
    for (int b = 0; b < width; ++b) {
      bytes[width * i + b] = static_cast<char>((cells[i] >> (8 * b)) & 0xFF);
    }
  }
  return bytes;
}

// What a cell's entry in PageField::cells is called under the pointer.
nlohmann::json CellNames(const ModelLabels& labels) {
  nlohmann::json names = nlohmann::json::array({"void"});
  for (std::size_t m = 1; m < labels.materials.size(); ++m) names.push_back(labels.materials[m]);
  for (std::size_t v = 1; v < labels.conditions.size(); ++v) names.push_back(labels.conditions[v]);
  for (std::size_t i = 1; i < labels.fixed.size(); ++i) names.push_back(labels.fixed[i]);
  return names;
}

std::string Attribute(const std::string& name, const std::string& value) {
  return " data-" + name + "=\"" + XmlText(value) + "\"";
}

// The field the script reads, as attributes of a hidden element. Base64
// needs no escaping; everything else is escaped.
std::string FieldData(const ModelReport& report, const PageField& field,
                      const PagePicture& picture) {
  const int width = CellWidth(field.cells);
  return "<div id=\"k-field\" hidden" + Attribute("origin-x", ExactNumberText(picture.origin_x)) +
         Attribute("origin-y", ExactNumberText(picture.origin_y)) +
         Attribute("scale", ExactNumberText(picture.scale)) +
         Attribute("picture-x", JsonText(field.picture_x_mm)) +
         Attribute("picture-y", JsonText(field.picture_y_mm)) +
         Attribute("x", JsonText(field.x_mm)) + Attribute("y", JsonText(field.y_mm)) +
         Attribute("names", JsonText(CellNames(report.labels))) +
         Attribute("materials", std::to_string(report.labels.materials.size() - 1)) +
         Attribute("conditions", std::to_string(report.labels.conditions.size() - 1)) +
         Attribute("cell-bytes", std::to_string(width)) +
         Attribute("unit", report.labels.drawing ? "\xC2\xB0""C" : "") + " data-temperature=\"" +
         Base64(Float32Bytes(field.temperature)) + "\" data-cells=\"" +
         Base64(CellBytes(field.cells, width)) + "\"></div>\n";
}

// The solver that ran, and why where --solver=auto chose it.
std::string SolverHtml(const ModelReport& report) {
  if (report.solver_reason.empty()) return XmlText(report.solver);
  return XmlText(report.solver) + " (" + XmlText(report.solver_reason) + ")";
}

// A string of CSS: quoted, with quotes, backslashes, line ends and '<' as
// escapes, so that no text of a file name can end the string or the style.
std::string CssString(const std::string& text) {
  // Valid UTF-8 first, as XmlText makes it; then its entities undone.
  std::string valid = XmlText(text);
  for (const auto& [entity, c] : {std::pair{"&lt;", '<'}, {"&gt;", '>'}, {"&quot;", '"'},
                                  {"&apos;", '\''}, {"&amp;", '&'}}) {
    const std::string e = entity;
    for (std::size_t at = 0; (at = valid.find(e, at)) != std::string::npos; ++at) {
      valid.replace(at, e.size(), 1, c);
    }
  }
  std::string out = "\"";
  for (unsigned char c : valid) {
    if (c == '"' || c == '\\' || c == '<' || c == '>' || c == '&' || c < 0x20 || c == 0x7F) {
      static const char kHex[] = "0123456789ABCDEF";
      out += '\\';
      if (c >= 0x10) out += kHex[c >> 4];
      out += kHex[c & 0xF];
      out += ' ';
    } else {
      out += static_cast<char>(c);
    }
  }
  return out + "\"";
}

// The printed page's footer on every sheet: the input file, its SHA-256, the
// program and the page number, so that a printed result names what made it.
std::string PrintFooter(const ModelReport& report, const PageRun& run) {
  const std::string input =
      report.model + (run.input_sha256.empty() ? "" : ", SHA-256 " + run.input_sha256);
  return "<style>\n@media print { @page {\n"
         "  @bottom-left { content: " + CssString(input) +
         "; font: 7pt \"DejaVu Sans\", Arial, sans-serif; color: #444; }\n"
         "  @bottom-right { content: " + CssString("Kelvane2D " + run.version + ", page ") +
         " counter(page) \" of \" counter(pages); font: 7pt \"DejaVu Sans\", Arial, sans-serif; "
         "color: #444; }\n} }\n</style>\n";
}

std::string RunFacts(const ModelReport& report, const PageRun& run) {
  const GridSize& g = report.grid;
  auto fact = [](const std::string& what, const std::string& html) {
    return "<dt>" + what + "</dt><dd>" + html + "</dd>\n";
  };
  return "<dl class=\"k-run\">\n" + HeaderFacts(report.labels.header) + fact("Input file", "<code>" + XmlText(report.model) + "</code>") +
         fact("Date", XmlText(run.date)) +
         fact("Program", "Kelvane2D " + XmlText(run.version)) +
         fact("Grid", std::to_string(g.columns) + " &times; " + std::to_string(g.rows) +
                          " cells" + (report.labels.drawing ? " made from the drawing" : "") +
                          ", " + std::to_string(g.nodes) + " nodes, " +
                          std::to_string(g.elements) + " elements") +
         fact("Solver", SolverHtml(report)) + fact("Run time", NumberText(run.seconds, 3) + " s") +
         (run.input_sha256.empty() ? std::string()
                                   : fact("Input SHA-256", "<code>" + run.input_sha256 + "</code>")) +
         "</dl>\n";
}

// The picture inline, without the XML declaration a file of its own has.
std::string InlineSvg(const std::string& svg) {
  const std::size_t start = svg.find("<svg");
  return start == std::string::npos ? std::string() : svg.substr(start);
}

// The readout stands above the picture, where the eye is, and stays in
// view while a tall picture scrolls; the pinned points follow the picture.
// The views, each in its own frame; the page shows one at a time and
// prints both.
std::string Views(const PagePicture& picture) {
  if (picture.materials_svg.empty()) return InlineSvg(picture.svg);
  return "<div class=\"k-view\" id=\"k-view-temperature\">" + InlineSvg(picture.svg) +
         "</div>\n<div class=\"k-view\" id=\"k-view-materials\" hidden>" +
         InlineSvg(picture.materials_svg) + "</div>\n";
}

std::string ViewSwitch(const PagePicture& picture) {
  const std::string zoom =
      "<button type=\"button\" id=\"k-reset\">Reset zoom</button>"
      "<span class=\"k-hint\">Wheel or pinch to zoom, drag to pan.</span>";
  if (picture.materials_svg.empty()) return "<div class=\"k-tools\">" + zoom + "</div>\n";
  return "<div class=\"k-tools\" role=\"group\" aria-label=\"View\">"
         "<button type=\"button\" id=\"k-show-temperature\" aria-pressed=\"true\">"
         "Temperature field</button>"
         "<button type=\"button\" id=\"k-show-materials\" aria-pressed=\"false\">"
         "Materials</button>" + zoom + "</div>\n";
}

std::string PictureSection(const PagePicture& picture) {
  return "<section id=\"k-picture\">\n<h2>Picture</h2>\n"
         "<div class=\"k-interactive\" id=\"k-interactive\" hidden>\n" + ViewSwitch(picture) +
         "<p class=\"k-hint\">Point at the picture for the temperature there; click to pin "
         "the point. With the picture focused, the arrow keys move a cursor (Shift: further) "
         "and Enter pins.</p>\n"
         "<div class=\"k-readout\" id=\"k-readout\" aria-live=\"polite\">"
         "<span>x <b id=\"k-x\">&ndash;</b> mm</span> "
         "<span>y <b id=\"k-y\">&ndash;</b> mm</span> "
         "<span>temperature <b id=\"k-t\">&ndash;</b></span> "
         "<span id=\"k-m\">&ndash;</span></div>\n</div>\n"
         "<div class=\"k-figure\" id=\"k-figure\">\n" + Views(picture) + "</div>\n"
         "<div class=\"k-interactive k-pinned\" id=\"k-pinned\" hidden>\n"
         "<h3>Pinned points</h3>\n<ol id=\"k-pins\"></ol>\n"
         "<button type=\"button\" id=\"k-clear\" disabled>Clear pinned points</button>\n"
         "</div>\n</section>\n";
}

std::string WarningsSection(const Warnings& warnings) {
  if (warnings.empty()) return "";
  std::string items;
  for (const Warning& w : warnings) {
    items += "<li>" + (w.place.empty() ? "" : "<b>" + XmlText(w.place) + "</b>: ") +
             XmlText(w.text) + "</li>\n";
  }
  return "<section id=\"k-warnings\" class=\"k-warnings\">\n<h2>Warnings (" +
         std::to_string(warnings.size()) + ")</h2>\n<ul>\n" + items + "</ul>\n</section>\n";
}

std::string Tables(const ModelReport& report) {
  std::string out = WarningsSection(report.warnings) + MaterialsSection(report);
  out += MaterialNotesSection(report) + CavitiesSection(report);
  out += SolutionSections(report.base, report.labels, 2, "k-base");
  for (std::size_t i = 0; i < report.psi.size(); ++i) out += PsiSection(report.psi[i], i);
  if (report.frame) out += FrameSection(*report.frame);
  if (report.condensation) out += CondensationSection(*report.condensation);
  if (!report.cases.empty()) out += CasesSection(report.cases, report.labels);
  if (report.coupling) {
    out += CouplingSection(*report.coupling, report.labels.AnyGrouped()
                                                 ? report.environment_coupling
                                                 : std::vector<EnvironmentCoupling>(),
                           report.labels);
  }
  if (report.grid_check) out += GridCheckSection(*report.grid_check, report.base.probes, report.labels);
  return out;
}

}  // namespace

std::string HtmlPage(const ModelReport& report, const PageField& field,
                     const PagePicture& picture, const PageRun& run) {
  const std::string title = XmlText(report.title.empty() ? "(untitled model)" : report.title);
  std::string page =
      "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
      "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n"
      "<meta name=\"generator\" content=\"Kelvane2D " + XmlText(run.version) + "\">\n"
      "<title>" + title + "</title>\n<style>\n" + PageStyle() + "</style>\n" +
      PrintFooter(report, run) + "</head>\n<body>\n";
  page += "<header>\n<h1>" + title + "</h1>\n" + RunFacts(report, run) + "</header>\n<main>\n" +
          SummarySection(report);
  page += PictureSection(picture) + Tables(report) + "</main>\n";
  page += FieldData(report, field, picture);
  page += "<script>\n" + std::string(PageScript()) + "</script>\n</body>\n</html>\n";
  return page;
}

}  // namespace kelvane
