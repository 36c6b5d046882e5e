// The board's sides for the mask and legend checks: each side's outer copper, its mask openings and legend as
// pieces, and the copper its mask leaves bare (copper and openings intersected once with Clipper).
#include "boardcheck/boardcopper.hpp"
#include "platform/interrupt.hpp"

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

// The copper of `copper` inside the openings of `openings`, as the image of a layer of its own.
std::unique_ptr<board::BoardLayer> bareCopper(const CopperLayer& copper, const CopperLayer& openings) {
    Polygons subject, clip;
    std::vector<bool> taken(copper.pieces().size());
    for (const Piece& o : openings.pieces()) {
        const Polygons p = polygonsOfPiece(openings, o);
        clip.insert(clip.end(), p.begin(), p.end());
        copper.forEachItem(o.box, [&](std::uint32_t i) {
            const std::uint32_t piece = copper.items()[i].piece;
            if (taken[piece])
                return;
            taken[piece] = true;
            const Polygons q = polygonsOfPiece(copper, copper.pieces()[piece]);
            subject.insert(subject.end(), q.begin(), q.end());
        });
    }
    platform::checkInterrupted();
    ClipperLib::Clipper clipper;
    clipper.AddPaths(subject, ClipperLib::ptSubject, true);
    clipper.AddPaths(clip, ClipperLib::ptClip, true);
    ClipperLib::PolyTree tree;
    clipper.Execute(ClipperLib::ctIntersection, tree, ClipperLib::pftNonZero, ClipperLib::pftNonZero);
    auto layer = std::make_unique<board::BoardLayer>();
    layer->role = copper.layer().role;
    layer->image.name = copper.image().name;
    for (const ClipperLib::PolyNode* node = tree.GetFirst(); node; node = node->GetNext()) {
        if (node->IsHole())
            continue;
        Polygons shape{node->Contour};
        for (const auto* hole : node->Childs)
            shape.push_back(hole->Contour);
        board::Object object{.kind = board::ObjectKind::Outlines};
        object.shape = std::uint32_t(layer->image.outlines.size());
        object.box = board::Box::nothing();
        for (const auto& v : node->Contour)
            object.box.include(
                board::Box::around({Length::fromCount(v.X), Length::fromCount(v.Y)}, Length()));
        layer->image.outlines.push_back(std::move(shape));
        layer->image.objects.push_back(object);
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
