#include "report/html_page.h"
#include "report/rounding.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <bit>
#include <cctype>
#include <cstring>
#include <set>

#include "picture/svg.h"
#include "platform/number_text.h"
#include "solver/solver_test_util.h"

namespace kelvane::testing {
namespace {

// The worked example: a plate of two cells of conductivity 50 (m1), its
// left side held at 100, air at 20 above and on the right.
const ModelSketch kPlate{{50}, {{20, 10}}, {100}, {10, 20}, {5},
                         {"B1 B1 B1 B1", "C1 A1 A1 B1", ". . . ."}};

// The first fault of a page's markup, or "": a tag closed that is not the
// one open, an element left open, an unquoted attribute value, or a "&"
// that starts no character reference. Script and style are raw text.
std::string MarkupFault(const std::string& html) {
  static const std::set<std::string> kVoidElements = {"meta", "br", "hr", "img", "input", "link"};
  std::vector<std::string> open;
  auto reference_at = [&](std::size_t at) {
    std::size_t end = at + 1;
    while (end < html.size() && (std::isalnum(static_cast<unsigned char>(html[end])) ||
                                 html[end] == '#')) {
      ++end;
    }
    return end > at + 1 && end < html.size() && html[end] == ';';
  };
  for (std::size_t at = 0; at < html.size(); ++at) {
    if (html[at] == '&' && !reference_at(at)) return "bare & at " + std::to_string(at);
    if (html[at] != '<' || html.compare(at, 2, "<!") == 0) continue;
    std::size_t end = at + 1;
    for (char quote = 0; end < html.size() && (quote || html[end] != '>'); ++end) {
      if (quote && html[end] == quote) quote = 0;
      else if (!quote && (html[end] == '"' || html[end] == '\'')) quote = html[end];
      else if (!quote && html[end] == '=' && html[end + 1] != '"') return "unquoted at " + std::to_string(end);
      else if (html[end] == '&' && !reference_at(end)) return "bare & in tag at " + std::to_string(end);
    }
    if (end >= html.size()) return "unended tag at " + std::to_string(at);
    const std::string tag = html.substr(at + 1, end - at - 1);
    const bool closing = tag[0] == '/';
    const std::string name = tag.substr(closing, tag.find_first_of(" />\n", closing) - closing);
    if (closing) {
      if (open.empty() || open.back() != name) return "</" + name + "> closes " + (open.empty() ? "nothing" : open.back());
      open.pop_back();
    } else if (tag.back() != '/' && !kVoidElements.count(name)) {
      open.push_back(name);
      if (name == "script" || name == "style") {
        end = html.find("</" + name + ">", end) - 1;  // To just before the end tag.
      }
    }
    at = end;
  }
  return open.empty() ? "" : "<" + open.back() + "> left open";
}

std::string Attribute(const std::string& html, const std::string& name) {
  const std::string start = " data-" + name + "=\"";
  const std::size_t at = html.find(start);
  if (at == std::string::npos) return "";
  return html.substr(at + start.size(), html.find('"', at + start.size()) - at - start.size());
}

std::string FromBase64(const std::string& text) {
  const std::string alphabet =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string bytes;
  std::uint32_t bits = 0;
  int count = 0;
  for (char c : text) {
    if (c == '=') break;
    bits = (bits << 6) | static_cast<std::uint32_t>(alphabet.find(c));
    if ((count += 6) >= 8) bytes += static_cast<char>((bits >> (count -= 8)) & 0xFF);
  }
  return bytes;
}

// The plate solved, with its report and every part the page may show.
class PlatePage : public ::testing::Test {
 protected:
  PlatePage() {
    const std::string error = SolveAndInspect(kPlate, [&](const Solution& solution) {
      const SolvedField& field = solution.Field();
      labels_ = GridFileLabels(*field.model);
      labels_.title = "Steel plate";
      report_ = BuildReport(solution, labels_, "plate.inp", {true, {}});
      field_ = CapturePageField(field, field.temperature, labels_);
      const SvgPicture svg = DrawSvgPicture(field, labels_);
      picture_ = {svg.text, svg.layout.origin_x, svg.layout.origin_y, svg.layout.scale};
    });
    EXPECT_EQ(error, "");
  }
  std::string Page() const { return HtmlPage(report_, field_, picture_, run_facts_); }
  void AddEverything() {
    PsiReport psi;
    psi.between[0] = "B1";
    psi.between[1] = "C1";
    psi.l2d = 0.25;
    psi.flanking.push_back({0.35, 0.5, true, 0, 0, 0.03, 0, {{"Steel", 0.03, 50}}, 0.13, 0.04});
    psi.flanking_sum = 0.175;
    psi.psi = 0.075;
    report_.psi = {psi};
    report_.cases.push_back({"condensation", false, report_.base});
    report_.grid_check = GridCheckReport{{4, 2, 15, 8}, false, 10, 10.01, 0.001, true, false, {}, {}, {}};
  }

  ModelLabels labels_;
  ModelReport report_;
  PageField field_;
  PagePicture picture_;
  PageRun run_facts_{"2024-03-01 10:00:00 +0100", "9.8.7", 0.25};
};

TEST_F(PlatePage, HeaderNamesTheRunAndTablesGiveTheReportsNumbersRounded) {
  const std::string page = Page();
  for (const std::string& shown :
       {std::string("<title>Steel plate</title>"), std::string("<code>plate.inp</code>"),
        std::string("2024-03-01 10:00:00 +0100"), std::string("Kelvane2D 9.8.7"),
        std::string("2 &times; 1 cells, 6 nodes, 2 elements"), std::string("0.25 s"),
        // A flow to four digits, a temperature to 0.01 K: what a reader needs.
        "<td class=\"n\">" + FlowValue(report_.base.fixed[0].flow) + "</td>",
        "<td class=\"n\">" + TemperatureValue(report_.base.conditions[0].lowest->temperature) +
            "</td>",
        std::string("<td class=\"n\">27.57</td>"), std::string("<td class=\"n\">98.10</td>"),
        std::string("<td>m1</td><td class=\"n\">50</td><td class=\"n\">150</td>")}) {
    EXPECT_NE(page.find(shown), std::string::npos) << shown;
  }
}

TEST_F(PlatePage, SectionsFollowWhatWasComputedInTheIssuesOrder) {
  const std::vector<std::string> always = {"k-picture", "k-materials", "k-base-conditions",
                                           "k-base-surface", "k-base-fixed", "k-base-balance"};
  const std::vector<std::string> computed = {"k-psi", "k-cases", "k-coupling", "k-grid-check"};
  const ModelReport full = report_;
  report_.coupling.reset();
  std::string page = Page();
  for (const std::string& id : always) {
    EXPECT_NE(page.find("id=\"" + id + "\""), std::string::npos) << id;
  }
  for (const std::string& id : computed) {
    EXPECT_EQ(page.find("id=\"" + id + "\""), std::string::npos) << id;
  }
  report_ = full;
  AddEverything();
  page = Page();
  std::size_t last = 0;
  for (const char* id : {"k-materials", "k-base-balance", "k-psi", "k-case-1-conditions",
                                "k-coupling", "k-grid-check"}) {
    const std::size_t at = page.find("id=\"" + std::string(id) + "\"");
    EXPECT_NE(at, std::string::npos) << id;
    EXPECT_GT(at, last) << id;
    last = at;
  }
  // A flanking element from a segment shows the resistances that make 1/U.
  EXPECT_NE(page.find("<tr><td>Steel</td><td class=\"n\">30.0</td><td class=\"n\">50</td>"
                      "<td class=\"n\">0.0006000</td></tr>"),
            std::string::npos);
  EXPECT_EQ(MarkupFault(page), "");
}

TEST_F(PlatePage, EveryNameIsEscapedAndTheMarkupStaysWhole) {
  const std::string hostile = "<script>alert('x')</script> & \"\xFF\"";
  report_.title = hostile;
  report_.model = hostile;
  report_.labels.materials[1] = hostile;
  report_.labels.conditions[1] = hostile;
  report_.labels.fixed[1] = hostile;
  // The report's parts carry their names.
  report_.materials[0].name = hostile;
  report_.base.conditions[0].name = hostile;
  report_.base.fixed[0].name = hostile;
  report_.base.environments[0].name = hostile;
  AddEverything();
  report_.psi[0].between[0] = hostile;
  report_.cases[0].name = hostile;
  run_facts_.version = hostile;
  const std::string page = Page();
  EXPECT_EQ(MarkupFault(page), "");
  EXPECT_EQ(page.find("<script>alert"), std::string::npos);
  EXPECT_EQ(page.find('\xFF'), std::string::npos);
  EXPECT_NE(page.find("&lt;script&gt;alert(&apos;x&apos;)&lt;/script&gt; &amp; &quot;\xEF\xBF\xBD&quot;"),
            std::string::npos);
  // The readout's names reach the script intact.
  std::string names = Attribute(page, "names");
  for (const auto& [entity, c] : {std::pair{"&quot;", "\""}, {"&apos;", "'"}, {"&lt;", "<"},
                                  {"&gt;", ">"}, {"&amp;", "&"}}) {
    for (std::size_t at = 0; (at = names.find(entity, at)) != std::string::npos; ++at) {
      names.replace(at, std::strlen(entity), c);
    }
  }
  EXPECT_EQ(nlohmann::json::parse(names),
            nlohmann::json::array({"void", "<script>alert('x')</script> & \"\xEF\xBF\xBD\"",
                                   "<script>alert('x')</script> & \"\xEF\xBF\xBD\"",
                                   "<script>alert('x')</script> & \"\xEF\xBF\xBD\""}));
}

TEST_F(PlatePage, CarriesTheFieldInTheFewestBytes) {
  const std::string page = Page();
  const std::string bytes = FromBase64(Attribute(page, "temperature"));
  ASSERT_EQ(bytes.size(), 4 * field_.temperature.size());
  for (std::size_t i = 0; i < field_.temperature.size(); ++i) {
    std::uint32_t bits = 0;
    for (int b = 3; b >= 0; --b) bits = bits << 8 | static_cast<unsigned char>(bytes[4 * i + b]);
    const float t = std::bit_cast<float>(bits);
    if (std::isnan(field_.temperature[i])) {
      EXPECT_TRUE(std::isnan(t)) << i;
    } else {
      EXPECT_EQ(t, field_.temperature[i]) << i;
    }
  }
  // One byte a cell up to 255 names, then two, then four; little-endian.
  const struct {
    std::uint32_t largest;
    const char* width;
    std::string last;
  } widths[] = {{255, "1", "\xFF"}, {256, "2", std::string("\x00\x01", 2)},
                {65536, "4", std::string("\x00\x00\x01\x00", 4)}};
  for (const auto& w : widths) {
    field_.cells = {1, 0, w.largest};
    const std::string cells_page = Page();
    EXPECT_EQ(Attribute(cells_page, "cell-bytes"), w.width);
    const std::string cells = FromBase64(Attribute(cells_page, "cells"));
    EXPECT_EQ(cells.size(), 3 * std::stoul(w.width));
    EXPECT_EQ(cells.substr(cells.size() - w.last.size()), w.last);
  }
}

}  // namespace
}  // namespace kelvane::testing
