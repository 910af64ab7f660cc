#include "detail/dxf_test_util.h"

#include <cstdio>

namespace kelvane::testing {
namespace {

std::string G(int code, const std::string& value) {
  return std::to_string(code) + "\n" + value + "\n";
}

std::string G(int code, double value) {
  char text[40];
  std::snprintf(text, sizeof text, "%.17g", value);
  return G(code, std::string(text));
}

std::string Head(const char* entity, const std::string& layer) {
  return G(0, entity) + G(8, layer);
}

}  // namespace

std::string DxfLine(const std::string& layer, double x1, double y1, double x2, double y2) {
  return Head("LINE", layer) + G(10, x1) + G(20, y1) + G(30, 0.0) + G(11, x2) + G(21, y2) +
         G(31, 0.0);
}

std::string DxfArc(const std::string& layer, double x, double y, double r, double from,
                   double to) {
  return Head("ARC", layer) + G(10, x) + G(20, y) + G(30, 0.0) + G(40, r) + G(50, from) +
         G(51, to);
}

std::string DxfCircle(const std::string& layer, double x, double y, double r) {
  return Head("CIRCLE", layer) + G(10, x) + G(20, y) + G(30, 0.0) + G(40, r);
}

std::string DxfPolyline(const std::string& layer, const std::vector<Vertex>& vertices,
                        bool closed, bool mirrored) {
  std::string text = Head("LWPOLYLINE", layer) + G(100, "AcDbPolyline") +
                     G(90, std::to_string(vertices.size())) + G(70, closed ? "1" : "0");
  for (const Vertex& v : vertices) {
    text += G(10, v.x) + G(20, v.y);
    if (v.bulge != 0) text += G(42, v.bulge);
  }
  if (mirrored) text += G(210, 0.0) + G(220, 0.0) + G(230, -1.0);
  return text;
}

std::string DxfText(const std::string& layer, const std::string& text) {
  return Head("TEXT", layer) + G(10, 0.0) + G(20, 0.0) + G(40, 2.5) + G(1, text);
}

std::string DxfInsert(const std::string& layer, const std::string& block, double x, double y,
                      double scale_x, double scale_y, double rotation) {
  return Head("INSERT", layer) + G(2, block) + G(10, x) + G(20, y) + G(30, 0.0) +
         G(41, scale_x) + G(42, scale_y) + G(50, rotation);
}

std::string DxfHatch(const std::string& layer, const std::vector<std::vector<Vertex>>& paths) {
  std::string text = Head("HATCH", layer) + G(10, 0.0) + G(20, 0.0) + G(30, 0.0) +
                     G(210, 0.0) + G(220, 0.0) + G(230, 1.0) + G(2, "SOLID") + G(70, "1") +
                     G(71, "0") + G(91, std::to_string(paths.size()));
  for (const std::vector<Vertex>& path : paths) {
    text += G(92, "2") + G(72, "1") + G(73, "1") + G(93, std::to_string(path.size()));
    for (const Vertex& v : path) text += G(10, v.x) + G(20, v.y) + G(42, v.bulge);
    text += G(97, "0");
  }
  return text + G(75, "0") + G(76, "1") + G(98, "1") + G(10, 1.0) + G(20, 1.0);
}

std::string DxfEdgeHatch(const std::string& layer, const std::vector<std::string>& edges) {
  std::string text = Head("HATCH", layer) + G(10, 0.0) + G(20, 0.0) + G(30, 0.0) +
                     G(210, 0.0) + G(220, 0.0) + G(230, 1.0) + G(2, "SOLID") + G(70, "1") +
                     G(71, "0") + G(91, "1") + G(92, "1") + G(93, std::to_string(edges.size()));
  for (const std::string& edge : edges) text += edge;
  return text + G(97, "0") + G(75, "0") + G(76, "1") + G(98, "0");
}

std::string DxfBlock(const std::string& name, double base_x, double base_y,
                     const std::string& entities) {
  return Head("BLOCK", "0") + G(2, name) + G(70, "0") + G(10, base_x) + G(20, base_y) +
         G(30, 0.0) + G(3, name) + entities + Head("ENDBLK", "0");
}

std::string DxfFile(const std::string& entities, const std::string& blocks, int insunits,
                    const std::vector<std::string>& layers) {
  std::string text = G(999, "written by the tests") + G(0, "SECTION") + G(2, "HEADER") +
                     G(9, "$ACADVER") + G(1, "AC1015");
  if (insunits >= 0) text += G(9, "$INSUNITS") + G(70, std::to_string(insunits));
  text += G(0, "ENDSEC") + G(0, "SECTION") + G(2, "TABLES") + G(0, "TABLE") + G(2, "LAYER") +
          G(70, std::to_string(layers.size()));
  for (const std::string& layer : layers) {
    text += G(0, "LAYER") + G(2, layer) + G(70, "0") + G(62, "7") + G(6, "CONTINUOUS");
  }
  text += G(0, "ENDTAB") + G(0, "ENDSEC") + G(0, "SECTION") + G(2, "BLOCKS") + blocks +
          G(0, "ENDSEC") + G(0, "SECTION") + G(2, "ENTITIES") + entities + G(0, "ENDSEC") +
          G(0, "EOF");
  return text;
}

}  // namespace kelvane::testing
