// DXF texts for tests, written group by group as CAD programs write them:
// entities, blocks and whole files with a header and a layer table.
#pragma once

#include <string>
#include <vector>

namespace kelvane::testing {

struct Vertex {
  double x = 0;
  double y = 0;
  double bulge = 0;
};

std::string DxfLine(const std::string& layer, double x1, double y1, double x2, double y2);
std::string DxfArc(const std::string& layer, double x, double y, double r, double from,
                   double to);
std::string DxfCircle(const std::string& layer, double x, double y, double r);
// An LWPOLYLINE; `mirrored` gives it the extrusion 0, 0, -1.
std::string DxfPolyline(const std::string& layer, const std::vector<Vertex>& vertices,
                        bool closed, bool mirrored = false);
std::string DxfText(const std::string& layer, const std::string& text);
std::string DxfInsert(const std::string& layer, const std::string& block, double x, double y,
                      double scale_x = 1, double scale_y = 1, double rotation = 0);
// A HATCH of polyline boundary paths, each closed, and a seed point.
std::string DxfHatch(const std::string& layer, const std::vector<std::vector<Vertex>>& paths);
// A HATCH of one boundary path of edges: the groups of each edge after its
// type, 72.
std::string DxfEdgeHatch(const std::string& layer, const std::vector<std::string>& edges);
std::string DxfBlock(const std::string& name, double base_x, double base_y,
                     const std::string& entities);

// A whole drawing: $INSUNITS (when not -1), a LAYER table, BLOCKS and
// ENTITIES.
std::string DxfFile(const std::string& entities, const std::string& blocks = "",
                    int insunits = -1, const std::vector<std::string>& layers = {"0"});

}  // namespace kelvane::testing
