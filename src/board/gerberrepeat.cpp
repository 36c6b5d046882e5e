// Step and repeat and block apertures of a Gerber file, which copy objects, and the budgets every object and
// polygon of the image is counted against before its memory is taken.
#include "board/gerberreader.hpp"
#include "util/text.hpp"

namespace fk::board {

namespace {

std::string text(std::size_t n) {
    return std::to_string(n);
}

} // namespace

std::size_t GerberReader::objectCount() const {
    std::size_t n = image_.objects.size();
    for (const auto& block : blocks_)
        n += block.second.size();
    return n;
}

// Room for `objects` more objects and `points` more polygon points in the image, or a refusal.
void GerberReader::requireRoom(std::size_t objects, std::size_t points) {
    if (objects > budgets_.objects || objectCount() > budgets_.objects - objects)
        fail(word_, "at most " + text(budgets_.objects) + " objects in one file");
    if (points > budgets_.points || points_ > budgets_.points - points)
        fail(word_, "at most " + text(budgets_.points) + " polygon points in one file");
}

void GerberReader::add(Object o) {
    requireRoom(1, 0);
    if (repeat_ && blocks_.empty()) { // each object inside a step and repeat becomes x times y
        const std::size_t inside = image_.objects.size() - repeat_->first + 1;
        if (inside > budgets_.repeatObjects / std::size_t(repeat_->x * repeat_->y))
            throw GerberError{repeat_->line, "%" + repeat_->text + "%",
                              "at most " + text(budgets_.repeatObjects) +
                                  " objects from one step and repeat"};
    }
    o.net = o.net ? o.net : net_;
    objects().push_back(o);
    if (blocks_.empty())
        image_.extent.include(o.box);
}

std::uint32_t GerberReader::addOutlines(Polygons polygons) {
    const std::size_t n = pointsOf(polygons);
    requireRoom(0, n);
    points_ += n;
    image_.outlines.push_back(std::move(polygons));
    return std::uint32_t(image_.outlines.size() - 1);
}

void GerberReader::stepAndRepeat(std::string_view p) {
    closeRepeat();
    const auto read = rs274x::readStepRepeat(p);
    if (!read.value)
        fail("%" + std::string(p) + "%", std::string(read.expected));
    const rs274x::StepRepeat& r = *read.value;
    if (!blocks_.empty() && r.x * r.y > 1)
        fail("%" + std::string(p) + "%", "no step and repeat inside a block aperture");
    // Every copy holds at least one object: a count beyond the budget is refused before anything is read.
    if (r.x > std::int64_t(budgets_.repeatObjects) || r.y > std::int64_t(budgets_.repeatObjects) ||
        r.x * r.y > std::int64_t(budgets_.repeatObjects))
        fail("%" + std::string(p) + "%",
             "at most " + text(budgets_.repeatObjects) + " objects from one step and repeat");
    const Length i = r.i.empty() ? Length() : unitLength(r.i, "%" + std::string(p) + "%");
    const Length j = r.j.empty() ? Length() : unitLength(r.j, "%" + std::string(p) + "%");
    if (r.x * r.y > 1)
        repeat_ = Repeat{r.x, r.y, i, j, image_.objects.size(), wordLine_, std::string(p)};
}

void GerberReader::closeRepeat() {
    if (!repeat_)
        return;
    const Repeat r = *repeat_;
    repeat_.reset();
    auto& list = image_.objects;
    const std::size_t end = list.size(), copies = std::size_t(r.x * r.y) - 1;
    std::size_t points = 0;
    for (std::size_t k = r.first; k < end; ++k)
        points += list[k].kind == ObjectKind::Outlines ? pointsOf(image_.outlines[list[k].shape]) : 0;
    requireRoom((end - r.first) * copies, points * copies);
    list.reserve(end + (end - r.first) * copies);
    for (std::int64_t a = 0; a < r.x; ++a) {
        for (std::int64_t b = 0; b < r.y; ++b) {
            if (a == 0 && b == 0)
                continue;
            const Point by{r.i * a, r.j * b};
            for (std::size_t k = r.first; k < end; ++k) {
                list.push_back(moved(list[k], by, false));
                image_.extent.include(list.back().box);
            }
        }
    }
}

void GerberReader::blockAperture(std::string_view p) {
    const std::string_view rest = p.substr(2);
    if (rest.empty()) {
        if (blocks_.empty())
            fail("%AB%", "an open block aperture to close");
        auto [code, objects] = std::move(blocks_.back());
        blocks_.pop_back();
        Aperture a;
        for (const Object& o : objects)
            a.points += o.kind == ObjectKind::Outlines ? pointsOf(image_.outlines[o.shape]) : 0;
        a.block = std::move(objects);
        a.line = wordLine_;
        apertures_[code] = std::move(a);
        return;
    }
    if (rest[0] != 'D' || rest.size() < 3 || !util::allDigits(rest.substr(1)))
        fail("%AB" + std::string(rest) + "%", "%ABD<code>% opening a block aperture");
    if (rest.size() > 10)
        fail("%AB" + std::string(rest) + "%", "an aperture number of at most nine digits");
    blocks_.emplace_back(std::stoi(std::string(rest.substr(1))), std::vector<Object>{});
}

void GerberReader::flashBlock(const Aperture& a, Point at) {
    if (a.block->size() > budgets_.repeatObjects)
        fail(word_,
             "at most " + text(budgets_.repeatObjects) + " objects from one flash of a block aperture");
    requireRoom(a.block->size(), a.points);
    for (const Object& o : *a.block)
        add(moved(o, at, clear_));
}

Object GerberReader::moved(const Object& o, Point by, bool invert) {
    Object m = o;
    m.from = {o.from.x + by.x, o.from.y + by.y};
    m.to = {o.to.x + by.x, o.to.y + by.y};
    m.box = {o.box.left + by.x, o.box.bottom + by.y, o.box.right + by.x, o.box.top + by.y};
    m.clear = o.clear != invert;
    if (o.kind == ObjectKind::Outlines)
        m.shape = addOutlines(translated(image_.outlines[o.shape], by));
    return m;
}

} // namespace fk::board
