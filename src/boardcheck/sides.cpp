// The board's sides for the mask and legend checks: each side's outer copper, its mask openings and legend as
// pieces, and the copper its mask leaves bare (copper and openings intersected once with Clipper).
#include "boardcheck/boardcopper.hpp"
#include "platform/interrupt.hpp"

#include <algorithm>
#include <cmath>

namespace fk::boardcheck {

namespace {

using board::Layer;
using board::Polygons;

Polygons polygonsOfPiece(const CopperLayer& layer, const Piece& p) {
    const auto point = [](Vec v) {
        return board::Point{Length::fromCount(std::llround(v.x)), Length::fromCount(std::llround(v.y))};
    };
    const auto r = Length::fromCount(std::llround(p.radius));
    switch (p.kind) {
    case PieceKind::Disc:
        return board::circlePolygon(point(p.core.a), r);
    case PieceKind::Capsule:
        return board::strokePolygon(point(p.core.a), point(p.core.b), r);
    case PieceKind::Poly:
        break;
    }
    return layer.polygons(p);
}

// The pieces' outlines; a run of round draws of one width laid end to end (an arc's chords) as the one
// outline it draws: a cut's time grows with the crossings of its edges, and each chord's outline crosses
// those of a dozen neighbours.
Polygons outlinesOf(const CopperLayer& layer, std::vector<std::uint32_t> pieces) {
    std::sort(pieces.begin(), pieces.end());
    pieces.erase(std::unique(pieces.begin(), pieces.end()), pieces.end());
    const auto& all = layer.pieces();
    const auto follows = [&](std::uint32_t before, std::uint32_t after) {
        const Piece& a = all[before];
        const Piece& b = all[after];
        return after == before + 1 && a.kind == PieceKind::Capsule && b.kind == PieceKind::Capsule &&
               a.radius == b.radius && a.core.b.x == b.core.a.x && a.core.b.y == b.core.a.y;
    };
    Polygons out;
    for (size_t i = 0, j = 0; i < pieces.size(); i = j) {
        for (j = i + 1; j < pieces.size() && follows(pieces[j - 1], pieces[j]);)
            ++j;
        if (j - i < 3) {
            for (size_t k = i; k < j; ++k) {
                const Polygons p = polygonsOfPiece(layer, all[pieces[k]]);
                out.insert(out.end(), p.begin(), p.end());
            }
            continue;
        }
        ClipperLib::Path line;
        const auto point = [](Vec v) { return ClipperLib::IntPoint{std::llround(v.x), std::llround(v.y)}; };
        line.push_back(point(all[pieces[i]].core.a));
        for (size_t k = i; k < j; ++k)
            line.push_back(point(all[pieces[k]].core.b));
        ClipperLib::ClipperOffset offset(2.0, double(board::chordError.count()));
        offset.AddPath(line, ClipperLib::jtRound, ClipperLib::etOpenRound);
        Polygons drawn;
        offset.Execute(drawn, all[pieces[i]].radius);
        out.insert(out.end(), drawn.begin(), drawn.end());
    }
    return out;
}

// Adds each outer path of a cut's result, with the holes in it, as an object of the layer's image.
void addShapes(const ClipperLib::PolyTree& tree, board::Image& image) {
    for (const ClipperLib::PolyNode* node = tree.GetFirst(); node; node = node->GetNext()) {
        if (node->IsHole())
            continue;
        Polygons shape{node->Contour};
        for (const auto* hole : node->Childs)
            shape.push_back(hole->Contour);
        board::Object object{.kind = board::ObjectKind::Outlines};
        object.shape = std::uint32_t(image.outlines.size());
        object.box = board::Box::nothing();
        for (const auto& v : node->Contour)
            object.box.include(
                board::Box::around({Length::fromCount(v.X), Length::fromCount(v.Y)}, Length()));
        image.outlines.push_back(std::move(shape));
        image.objects.push_back(object);
    }
}

// The copper of `copper` inside the openings of `openings`, as the image of a layer of its own. Openings
// that touch are cut together, each group apart: no two groups' copper can meet, and a cut's time grows with
// its edges times the edges its sweep line crosses, which one cut of the whole board makes large.
std::unique_ptr<board::BoardLayer> bareCopper(const CopperLayer& copper, const CopperLayer& openings) {
    std::vector<std::vector<std::uint32_t>> groups(openings.areaCount());
    for (std::uint32_t o = 0; o < openings.pieces().size(); ++o)
        groups[openings.area(o)].push_back(o);
    auto layer = std::make_unique<board::BoardLayer>();
    layer->role = copper.layer().role;
    layer->image.name = copper.image().name;
    for (std::uint32_t g = 0; g < groups.size(); ++g) {
        if ((g & 255) == 0)
            platform::checkInterrupted();
        std::vector<std::uint32_t> under, over; // the copper pieces and the openings of the cut
        for (const std::uint32_t o : groups[g]) {
            const Piece& opening = openings.pieces()[o];
            bool meets = false; // an opening over no copper adds nothing but its edges' crossings to the cut
            copper.forEachItem(opening.box, [&](std::uint32_t i) {
                meets = true;
                const Item& item = copper.items()[i];
                if (item.path < 0) // a run of a pour's edges: the pour is taken below
                    under.push_back(item.piece);
            });
            copper.forEachLarge(opening.box, [&](std::uint32_t) { meets = true; });
            if (meets)
                over.push_back(o);
        }
        Polygons subject = outlinesOf(copper, std::move(under));
        const Polygons clip = outlinesOf(openings, std::move(over));
        // A pour's edges run the width of the board: its part over the group is all the cut needs. An
        // opening inside a pour, far from its edges, still bares the pour's copper.
        const board::Box box = openings.areaBox(g).grown(mils(1));
        copper.forEachLarge(box, [&](std::uint32_t piece) {
            const Polygons q = board::boxClipped(copper.polygons(copper.pieces()[piece]), box);
            subject.insert(subject.end(), q.begin(), q.end());
        });
        if (subject.empty() || clip.empty())
            continue;
        ClipperLib::Clipper clipper;
        clipper.AddPaths(subject, ClipperLib::ptSubject, true);
        clipper.AddPaths(clip, ClipperLib::ptClip, true);
        ClipperLib::PolyTree tree;
        clipper.Execute(ClipperLib::ctIntersection, tree, ClipperLib::pftNonZero, ClipperLib::pftNonZero);
        addShapes(tree, layer->image);
    }
    return layer;
}

} // namespace

void BoardCopper::buildSides(const board::Fabrication& board) {
    struct Roles {
        const char* name;
        Layer copper, mask, legend;
    };
    for (const Roles& r : {Roles{"top", Layer::TopCopper, Layer::TopMask, Layer::TopSilk},
                           Roles{"bottom", Layer::BottomCopper, Layer::BottomMask, Layer::BottomSilk}}) {
        Side side{r.name};
        for (const auto& l : layers_)
            if (!side.copper && l->layer().role.layer == r.copper && !l->layer().plane)
                side.copper = l.get();
        for (const auto& l : board.layers) {
            platform::checkInterrupted();
            // A mask draws its openings, whatever polarity its X2 attributes state.
            if (!side.openings && l.role.layer == r.mask) {
                others_.push_back(std::make_unique<CopperLayer>(l, frame_, false));
                side.openings = others_.back().get();
            }
            if (!side.legend && l.role.layer == r.legend) {
                others_.push_back(std::make_unique<CopperLayer>(l, frame_, false));
                side.legend = others_.back().get();
            }
        }
        if (side.copper && side.openings) {
            bareLayers_.push_back(bareCopper(*side.copper, *side.openings));
            others_.push_back(std::make_unique<CopperLayer>(*bareLayers_.back(), frame_, false));
            side.bare = others_.back().get();
        }
        sides_.push_back(side);
    }
}

} // namespace fk::boardcheck
