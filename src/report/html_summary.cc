#include "report/html_summary.h"

#include <vector>

#include "platform/xml_text.h"
#include "report/rounding.h"

namespace kelvane {
namespace {

struct Figure {
  std::string what;    // HTML
  std::string value;   // HTML
  std::string target;  // The id of its table.
  std::string kind;    // "pass", "fail" or "": how the value reads.
};

std::string FigureHtml(const Figure& f) {
  const std::string cls = f.kind.empty() ? "" : " k-" + f.kind;
  return "<li><a href=\"#" + XmlText(f.target) + "\"><span class=\"k-what\">" + f.what +
         "</span> <span class=\"k-value" + cls + "\" data-figure=\"" + XmlText(f.target) +
         "\">" + f.value + "</span></a></li>\n";
}

void PsiFigures(const ModelReport& r, std::vector<Figure>& figures) {
  for (std::size_t i = 0; i < r.psi.size(); ++i) {
    const PsiReport& p = r.psi[i];
    figures.push_back(
        {"&psi;" + (p.name.empty() ? std::string() : " " + XmlText(p.name)),
         DifferenceValue(p.psi, p.l2d) + " W/(m K)", i == 0 ? "k-psi" : "k-psi-" + std::to_string(i + 1),
         ""});
  }
}

// A frame's U_f, the figure its detail is drawn for.
void FrameFigure(const ModelReport& r, std::vector<Figure>& figures) {
  if (!r.frame) return;
  figures.push_back({"U<sub>f</sub>", CoefficientValue(r.frame->u_f) + " W/(m\xC2\xB2 K)",
                     "k-frame", ""});
}

void FactorFigure(const ModelReport& r, std::vector<Figure>& figures) {
  if (!r.base.frsi) return;
  std::string value = FactorValue(r.base.frsi->value);
  std::string kind;
  if (r.base.verdict) {
    value += r.base.verdict->met ? ", met" : ", NOT MET";
    value += " (&ge; " + FactorValue(r.base.verdict->frsi_min) + ")";
    kind = r.base.verdict->met ? "pass" : "fail";
  }
  figures.push_back({"f<sub>Rsi</sub>", value, "k-base-frsi", kind});
  // A case that asks for its own fRsi (the mould check's) counts as much.
  for (std::size_t i = 0; i < r.cases.size(); ++i) {
    const SolutionReport& s = r.cases[i].solution;
    if (!s.frsi || !s.verdict) continue;
    figures.push_back({"f<sub>Rsi</sub>, case &ldquo;" + XmlText(r.cases[i].name) + "&rdquo;",
                       FactorValue(s.frsi->value) + (s.verdict->met ? ", met" : ", NOT MET") +
                           " (&ge; " + FactorValue(s.verdict->frsi_min) + ")",
                       "k-case-" + std::to_string(i + 1) + "-frsi",
                       s.verdict->met ? "pass" : "fail"});
  }
}

}  // namespace

std::string SummarySection(const ModelReport& r) {
  std::vector<Figure> figures;
  PsiFigures(r, figures);
  FrameFigure(r, figures);
  FactorFigure(r, figures);
  if (r.grid_check) {
    const GridCheckReport& g = *r.grid_check;
    const bool met = g.no_flow || g.passes;
    figures.push_back({"Grid check",
                       std::string(met ? "met" : "NOT MET") + " (" +
                           SignedPercentValue(100 * g.relative_difference) + " %)",
                       "k-grid-check", met ? "pass" : "fail"});
  }
  if (!r.warnings.empty()) {
    figures.push_back({"Warnings", std::to_string(r.warnings.size()), "k-warnings", "fail"});
  }
  if (figures.empty()) return "";
  std::string out = "<section id=\"k-summary\" aria-label=\"Summary\">\n<ul>\n";
  for (const Figure& f : figures) out += FigureHtml(f);
  return out + "</ul>\n</section>\n";
}

std::string HeaderFacts(const ReportHeader& h) {
  std::string out;
  for (const auto& [what, value] : {std::pair{"Project", &h.project}, {"Client", &h.client},
                                    {"Author", &h.author}, {"Reference", &h.reference}}) {
    if (!value->empty()) out += "<dt>" + std::string(what) + "</dt><dd>" + XmlText(*value) + "</dd>\n";
  }
  return out;
}

}  // namespace kelvane
