// Roles of a board's Gerber files: the X2 file function, the job file, the layer a file's head names, then
// one table of the CAD tools' names and one of their file endings, each row saying whose convention it is.
#include "board/naming.hpp"

#include "util/text.hpp"

#include <algorithm>
#include <span>

namespace fk::board {

namespace {

// One naming convention. `key` is a name in small letters, each run of blanks, '-', '_' and '.' written '_'
// ("F.Cu" is "f_cu"), or an ending in capitals; '#' stands for a number of up to three digits, and a layer's
// number is that number plus `add`. A row of Layer::None is a drawing the check does not read; `none` says
// what it is. `after` is the character a name must follow ("board-F_Cu"), 0 for any.
struct Convention {
    const char* key;
    Layer layer;
    int add;
    const char* tool;
    const char* none = nullptr;
    char after = 0;
};

using enum Layer;

// Names at the end of a file's name ("board-F_Cu.gbr", "board.frontmask.gbr", "Top.gbr"), also the layer
// names that %LN, %IN and comments give.
constexpr Convention names[] = {
    // KiCad: a plot file is the board's name, '-', the layer's name with '_' or '.' (F_Cu, In1.Cu).
    {"f_cu", TopCopper, 0, "KiCad", nullptr, '-'},
    {"b_cu", BottomCopper, 0, "KiCad", nullptr, '-'},
    {"in#_cu", InnerCopper, 1, "KiCad", nullptr, '-'},
    {"edge_cuts", Outline, 0, "KiCad", nullptr, '-'},
    {"f_mask", TopMask, 0, "KiCad", nullptr, '-'},
    {"b_mask", BottomMask, 0, "KiCad", nullptr, '-'},
    {"f_silks", TopSilk, 0, "KiCad", nullptr, '-'},
    {"b_silks", BottomSilk, 0, "KiCad", nullptr, '-'},
    {"f_silkscreen", TopSilk, 0, "KiCad", nullptr, '-'},
    {"b_silkscreen", BottomSilk, 0, "KiCad", nullptr, '-'},
    {"f_paste", TopPaste, 0, "KiCad", nullptr, '-'},
    {"b_paste", BottomPaste, 0, "KiCad", nullptr, '-'},
    {"f_fab", None, 0, "KiCad", "a fabrication drawing", '-'},
    {"b_fab", None, 0, "KiCad", "a fabrication drawing", '-'},
    {"f_crtyd", None, 0, "KiCad", "a courtyard drawing", '-'},
    {"b_crtyd", None, 0, "KiCad", "a courtyard drawing", '-'},
    {"f_courtyard", None, 0, "KiCad", "a courtyard drawing", '-'},
    {"b_courtyard", None, 0, "KiCad", "a courtyard drawing", '-'},
    {"f_adhes", None, 0, "KiCad", "a glue layer", '-'},
    {"b_adhes", None, 0, "KiCad", "a glue layer", '-'},
    {"dwgs_user", None, 0, "KiCad", "a user drawing", '-'},
    {"cmts_user", None, 0, "KiCad", "a user drawing", '-'},
    {"eco#_user", None, 0, "KiCad", "a user drawing", '-'},
    {"user_#", None, 0, "KiCad", "a user drawing", '-'},
    {"margin", None, 0, "KiCad", "the board's margin", '-'},
    // Eagle 9's CAM job (copper_top.gbr, copper_l2.gbr), Fritzing (name_copperTop.gtl, name_contour.gm1) and
    // LibrePCB (name_COPPER-TOP.gbr, name_COPPER-IN1.gbr, name_OUTLINES.gbr).
    {"copper_top", TopCopper, 0, "Eagle 9, LibrePCB"},
    {"copper_bottom", BottomCopper, 0, "Eagle 9, LibrePCB"},
    {"coppertop", TopCopper, 0, "Fritzing"},
    {"copperbottom", BottomCopper, 0, "Fritzing"},
    {"copper_l#", InnerCopper, 0, "Eagle 9"},
    {"copper_in#", InnerCopper, 1, "LibrePCB"},
    {"soldermask_top", TopMask, 0, "Eagle 9, LibrePCB, Allegro"},
    {"soldermask_bottom", BottomMask, 0, "Eagle 9, LibrePCB, Allegro"},
    {"silkscreen_top", TopSilk, 0, "Eagle 9, LibrePCB, Allegro"},
    {"silkscreen_bottom", BottomSilk, 0, "Eagle 9, LibrePCB, Allegro"},
    {"solderpaste_top", TopPaste, 0, "Eagle 9, LibrePCB"},
    {"solderpaste_bottom", BottomPaste, 0, "Eagle 9, LibrePCB"},
    {"profile", Outline, 0, "Eagle 9"},
    {"outlines", Outline, 0, "LibrePCB"},
    {"masktop", TopMask, 0, "Fritzing"},
    {"maskbottom", BottomMask, 0, "Fritzing"},
    {"silktop", TopSilk, 0, "Fritzing"},
    {"silkbottom", BottomSilk, 0, "Fritzing"},
    {"pastemasktop", TopPaste, 0, "Fritzing"},
    {"pastemaskbottom", BottomPaste, 0, "Fritzing"},
    {"pastemask_top", TopPaste, 0, "Allegro"},
    {"pastemask_bottom", BottomPaste, 0, "Allegro"},
    {"contour", Outline, 0, "Fritzing"},
    // Fritzing's %LN names: copper1 is the top side, copper0 the bottom.
    {"copper1", TopCopper, 0, "Fritzing"},
    {"copper0", BottomCopper, 0, "Fritzing"},
    {"silk1", TopSilk, 0, "Fritzing"},
    {"silk0", BottomSilk, 0, "Fritzing"},
    // gEDA pcb: board.top.gbr, board.topmask.gbr, board.group3.gbr (its layer_type_to_file_name); earlier
    // versions board.front.gbr, board.frontmask.gbr; %LN is the same name in capitals (FRONT, GROUP3).
    {"top", TopCopper, 0, "gEDA pcb, DipTrace, Allegro"},
    {"bottom", BottomCopper, 0, "gEDA pcb, DipTrace, Allegro"},
    {"front", TopCopper, 0, "gEDA pcb"},
    {"back", BottomCopper, 0, "gEDA pcb"},
    {"group#", InnerCopper, 0, "gEDA pcb"},
    {"topmask", TopMask, 0, "gEDA pcb, DipTrace"},
    {"bottommask", BottomMask, 0, "gEDA pcb, DipTrace"},
    {"frontmask", TopMask, 0, "gEDA pcb"},
    {"backmask", BottomMask, 0, "gEDA pcb"},
    {"topsilk", TopSilk, 0, "gEDA pcb, DipTrace"},
    {"bottomsilk", BottomSilk, 0, "gEDA pcb, DipTrace"},
    {"frontsilk", TopSilk, 0, "gEDA pcb"},
    {"backsilk", BottomSilk, 0, "gEDA pcb"},
    {"toppaste", TopPaste, 0, "gEDA pcb, DipTrace"},
    {"bottompaste", BottomPaste, 0, "gEDA pcb, DipTrace"},
    {"frontpaste", TopPaste, 0, "gEDA pcb"},
    {"backpaste", BottomPaste, 0, "gEDA pcb"},
    {"outline", Outline, 0, "gEDA pcb, Allegro"},
    {"fab", None, 0, "gEDA pcb, Allegro", "a fabrication drawing"},
    {"topassembly", None, 0, "gEDA pcb, Proteus", "an assembly drawing"},
    {"bottomassembly", None, 0, "gEDA pcb, Proteus", "an assembly drawing"},
    {"frontassembly", None, 0, "gEDA pcb", "an assembly drawing"},
    {"backassembly", None, 0, "gEDA pcb", "an assembly drawing"},
    // gEDA pcb 1.x: board.pcb.output_componentmask.grb and the like.
    {"output_componentmask", TopMask, 0, "gEDA pcb 1"},
    {"output_soldermask", BottomMask, 0, "gEDA pcb 1"},
    {"output_componentsilk", TopSilk, 0, "gEDA pcb 1"},
    {"output_soldersilk", BottomSilk, 0, "gEDA pcb 1"},
    // DipTrace's default names (Top.gbr, TopMask.gbr, BoardOutline.gbr, Through.drl) and %LN names.
    {"boardoutline", Outline, 0, "DipTrace, EasyEDA"},
    {"topassy", None, 0, "DipTrace", "an assembly drawing"},
    {"bottomassy", None, 0, "DipTrace", "an assembly drawing"},
    // EasyEDA: Gerber_TopLayer.GTL, Gerber_InnerLayer1.G1, and "G04 Layer: TopLayer*".
    {"toplayer", TopCopper, 0, "EasyEDA"},
    {"bottomlayer", BottomCopper, 0, "EasyEDA"},
    {"innerlayer#", InnerCopper, 1, "EasyEDA"},
    {"topsoldermasklayer", TopMask, 0, "EasyEDA"},
    {"bottomsoldermasklayer", BottomMask, 0, "EasyEDA"},
    {"topsilklayer", TopSilk, 0, "EasyEDA"},
    {"bottomsilklayer", BottomSilk, 0, "EasyEDA"},
    {"topsilkscreenlayer", TopSilk, 0, "EasyEDA"},
    {"bottomsilkscreenlayer", BottomSilk, 0, "EasyEDA"},
    {"toppastemasklayer", TopPaste, 0, "EasyEDA"},
    {"bottompastemasklayer", BottomPaste, 0, "EasyEDA"},
    {"boardoutlinelayer", Outline, 0, "EasyEDA"},
    {"drilldrawinglayer", None, 0, "EasyEDA", "a drill drawing"},
    {"documentlayer", None, 0, "EasyEDA", "a document drawing"},
    // Proteus: "board - CADCAM Top Copper.GBR", "CADCAM Inner 1.GBR" (copper layer 2), "CADCAM Top Solder
    // Resist.GBR"; its Mechanical 1 is the board's outline as Proteus users send it. Eagle 9's %IN names
    // ("Top Copper") are the same.
    {"top_copper", TopCopper, 0, "Proteus, Eagle 9"},
    {"bottom_copper", BottomCopper, 0, "Proteus, Eagle 9"},
    {"inner_#", InnerCopper, 1, "Proteus"},
    {"top_solder_resist", TopMask, 0, "Proteus"},
    {"bottom_solder_resist", BottomMask, 0, "Proteus"},
    {"top_silk_screen", TopSilk, 0, "Proteus"},
    {"bottom_silk_screen", BottomSilk, 0, "Proteus"},
    {"top_smt_paste", TopPaste, 0, "Proteus"},
    {"bottom_smt_paste", BottomPaste, 0, "Proteus"},
    {"top_smt_paste_mask", TopPaste, 0, "Proteus"},
    {"bottom_smt_paste_mask", BottomPaste, 0, "Proteus"},
    {"cadcam_mechanical_#", Outline, 0, "Proteus"},
    // Allegro's usual artwork film names (Cadence's tutorials; TOP.art, SOLDERMASK_TOP.art, SMT.art), which
    // are also Tango-PCB's plot names.
    {"smt", TopMask, 0, "Allegro, Tango-PCB"},
    {"smb", BottomMask, 0, "Allegro, Tango-PCB"},
    {"sst", TopSilk, 0, "Allegro, Tango-PCB"},
    {"ssb", BottomSilk, 0, "Allegro, Tango-PCB"},
    {"spt", TopPaste, 0, "Allegro, Tango-PCB"},
    {"spb", BottomPaste, 0, "Allegro, Tango-PCB"},
    {"drill", None, 0, "Allegro", "a drill drawing"},
    {"assy_top", None, 0, "Allegro", "an assembly drawing"},
    {"assy_bottom", None, 0, "Allegro", "an assembly drawing"},
};

// File endings (".GTL"), read in either case.
constexpr Convention endings[] = {
    // Protel and Altium Designer (also KiCad's and EasyEDA's Protel endings).
    {"GTL", TopCopper, 0, "Protel"},
    {"GBL", BottomCopper, 0, "Protel"},
    {"G#", InnerCopper, 1, "Protel"}, // Mid-Layer 1 is copper layer 2
    {"GP#", Plane, 1, "Protel"},      // internal planes are written negative
    {"GTS", TopMask, 0, "Protel"},
    {"GBS", BottomMask, 0, "Protel"},
    {"GTO", TopSilk, 0, "Protel"},
    {"GBO", BottomSilk, 0, "Protel"},
    {"GTP", TopPaste, 0, "Protel"},
    {"GBP", BottomPaste, 0, "Protel"},
    {"GKO", Outline, 0, "Protel"},
    {"GML", Outline, 0, "Protel"},
    {"GM", Outline, 0, "Altium"},  // the merged mechanical layers
    {"GM#", Outline, 0, "Protel"}, // a mechanical layer
    {"GDD", None, 0, "Protel", "a drill drawing"},
    {"GD#", None, 0, "Protel", "a drill drawing"},
    {"GDG", None, 0, "Protel", "a drill guide"},
    {"GG#", None, 0, "Protel", "a drill guide"},
    {"GPT", None, 0, "Protel", "a pad master"},
    {"GPB", None, 0, "Protel", "a pad master"},
    // Board houses' own list (copper layer n written .GnL) and MacroFab's outline.
    {"G#L", InnerCopper, 0, "board houses"},
    {"BOR", Outline, 0, "MacroFab"},
    // Eagle's CAM processor.
    {"CMP", TopCopper, 0, "Eagle"},
    {"SOL", BottomCopper, 0, "Eagle"},
    {"LY#", InnerCopper, 0, "Eagle"},
    {"STC", TopMask, 0, "Eagle"},
    {"STS", BottomMask, 0, "Eagle"},
    {"PLC", TopSilk, 0, "Eagle"},
    {"PLS", BottomSilk, 0, "Eagle"},
    {"CRC", TopPaste, 0, "Eagle"},
    {"CRS", BottomPaste, 0, "Eagle"},
    {"DIM", Outline, 0, "Eagle"},
    {"DCC", None, 0, "Eagle", "a documentation print"},
    {"DCS", None, 0, "Eagle", "a documentation print"},
    {"DRP", None, 0, "Eagle", "a drill plan"},
    // OrCAD Layout's post processor. Its stack-up is not in the names: GND, PWR and INn are numbered after
    // one another only to tell them apart.
    {"TOP", TopCopper, 0, "OrCAD Layout"},
    {"BOT", BottomCopper, 0, "OrCAD Layout"},
    {"GND", InnerCopper, 2, "OrCAD Layout"},
    {"PWR", InnerCopper, 3, "OrCAD Layout"},
    {"IN#", InnerCopper, 3, "OrCAD Layout"},
    {"SMT", TopMask, 0, "OrCAD Layout"},
    {"SMB", BottomMask, 0, "OrCAD Layout"},
    {"SST", TopSilk, 0, "OrCAD Layout"},
    {"SSB", BottomSilk, 0, "OrCAD Layout"},
    {"SPT", TopPaste, 0, "OrCAD Layout"},
    {"SPB", BottomPaste, 0, "OrCAD Layout"},
    {"AST", None, 0, "OrCAD Layout", "an assembly drawing"},
    {"ASB", None, 0, "OrCAD Layout", "an assembly drawing"},
    {"DRD", None, 0, "OrCAD Layout", "a drill drawing"},
    {"FAB", None, 0, "OrCAD Layout", "a fabrication drawing"},
};

bool isSeparator(char c) {
    return c == ' ' || c == '-' || c == '_' || c == '.';
}

// Small letters, each run of separators one '_', none at either end: "Top Copper" and "TOP_COPPER" alike.
std::string normalised(std::string_view text) {
    std::string out;
    for (char c : util::lower(text)) {
        if (!isSeparator(c))
            out += c;
        else if (!out.empty() && out.back() != '_')
            out += '_';
    }
    if (!out.empty() && out.back() == '_')
        out.pop_back();
    return out;
}

// The number '#' stands for where `text` matches `key` (-1 for a key without one).
std::optional<int> matching(std::string_view key, std::string_view text) {
    const size_t hash = key.find('#');
    if (hash == std::string_view::npos)
        return key == text ? std::optional(-1) : std::nullopt;
    const std::string_view head = key.substr(0, hash), tail = key.substr(hash + 1);
    if (text.size() <= head.size() + tail.size() || !text.starts_with(head) || !text.ends_with(tail))
        return std::nullopt;
    const std::string_view digits = text.substr(head.size(), text.size() - head.size() - tail.size());
    if (digits.size() > 3 || digits.find_first_not_of("0123456789") != std::string_view::npos)
        return std::nullopt;
    return std::stoi(std::string(digits));
}

// The first row `text` matches, as `how` found it ("name F_Cu"), where it follows `before` (0 at the start of
// a name or in a head); a numbered layer out of range matches none.
std::optional<Named> lookUp(std::span<const Convention> table, std::string_view text, const std::string& how,
                            char before = 0) {
    for (const auto& c : table) {
        const auto n = c.after && c.after != before ? std::nullopt : matching(c.key, text);
        if (!n)
            continue;
        Role role{.layer = c.layer};
        if (c.layer == InnerCopper || c.layer == Plane) {
            role.number = std::max(*n, 0) + c.add;
            if (role.number < 2 || role.number > maxCopperLayer)
                continue;
        }
        return Named{role, how + " (" + c.tool + ")" + (c.none ? std::string(": ") + c.none : "")};
    }
    return std::nullopt;
}

std::string_view baseOf(std::string_view name) {
    return name.substr(0, std::min(name.size(), name.rfind('.')));
}

// The longest tail of the name (after a blank, '-', '_' or '.') that names a layer.
std::optional<Named> byName(std::string_view name) {
    const std::string_view base = baseOf(name);
    for (size_t start = 0; start < base.size(); ++start) {
        if (start > 0 && (!isSeparator(base[start - 1]) || isSeparator(base[start])))
            continue;
        const std::string_view tail = base.substr(start);
        const char before = start > 0 ? base[start - 1] : '\0';
        if (auto named = lookUp(names, normalised(tail), "name " + std::string(tail), before))
            return named;
    }
    return std::nullopt;
}

std::optional<Named> byEnding(std::string_view name) {
    const size_t dot = name.rfind('.');
    if (dot == std::string_view::npos)
        return std::nullopt;
    const std::string ending = util::upper(name.substr(dot + 1));
    return lookUp(endings, ending, "ending ." + ending);
}

// The layer of a PADS photoplot: its kind and three digits of layer (and three of level), "art001.pho" the
// copper of layer 1, "sm004028.pho" the solder mask of layer 4; the highest artwork layer is the bottom.
std::optional<Named> byPadsName(std::string_view name, int bottom) {
    const std::string base = util::lower(baseOf(name));
    struct Kind {
        const char* prefix;
        size_t digits;
        Layer top, other;
        const char* none;
    };
    static constexpr Kind kinds[] = {
        {"art", 3, TopCopper, InnerCopper, nullptr}, {"smd", 6, TopPaste, BottomPaste, nullptr},
        {"sm", 6, TopMask, BottomMask, nullptr},     {"sst", 6, TopSilk, TopSilk, nullptr},
        {"ssb", 6, BottomSilk, BottomSilk, nullptr}, {"dd", 6, None, None, "a drill drawing"},
    };
    for (const auto& k : kinds) {
        const std::string_view digits =
            std::string_view(base).substr(std::min(base.size(), strlen(k.prefix)));
        if (!base.starts_with(k.prefix) || digits.size() != k.digits ||
            digits.find_first_not_of("0123456789") != std::string_view::npos)
            continue;
        const int layer = std::stoi(std::string(digits.substr(0, 3)));
        Role role{.layer = layer == 1 ? k.top : k.other};
        if (role.layer == InnerCopper && layer == bottom)
            role.layer = BottomCopper;
        else if (role.layer == InnerCopper && (layer < 2 || layer > maxCopperLayer))
            return std::nullopt;
        else if (role.layer == InnerCopper)
            role.number = layer;
        return Named{role, "name " + std::string(baseOf(name)) + " (PADS)" +
                               (k.none ? std::string(": ") + k.none : "")};
    }
    return std::nullopt;
}

std::string_view trimmed(std::string_view text) {
    const size_t first = text.find_first_not_of(" \t\r");
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

// The sides in gEDA pcb 1.x's comment "G04 contains layers solder (0) ...".
std::optional<Named> byGedaSide(std::string_view word, const std::string& how) {
    const std::string side = util::lower(word);
    if (side == "component" || side == "solder")
        return Named{{.layer = side == "solder" ? BottomCopper : TopCopper}, how + " (gEDA pcb)"};
    return std::nullopt;
}

// What a G04 comment says of the layer: EasyEDA's "Layer: TopLayer", gEDA pcb's "Title: board, top" and
// "contains layers solder (0)", or a layer's name alone (DipTrace's "TopMask").
std::optional<Named> byComment(std::string_view text) {
    text = trimmed(text.substr(0, text.find('*')));
    const std::string upper = util::upper(text);
    const std::string how = "comment " + std::string(text);
    if (text.empty() || text.starts_with("#@!"))
        return std::nullopt;
    if (upper.starts_with("LAYER:"))
        return lookUp(names, normalised(text.substr(6)), how);
    if (upper.starts_with("CONTAINS LAYERS "))
        return byGedaSide(util::field(trimmed(text.substr(16)), 1, " "), how);
    if (upper.starts_with("TITLE:") && text.find(',') != std::string_view::npos) {
        const std::string_view layer = trimmed(text.substr(text.rfind(',') + 1));
        if (auto side = byGedaSide(layer, how))
            return side;
        return lookUp(names, normalised(layer), how);
    }
    return lookUp(names, normalised(text), how);
}

// The layer a file's head names: a comment first, then %LN, then %IN. Only the head before the first
// aperture selection or coordinate is looked at.
std::optional<Named> byHead(std::string_view head) {
    std::optional<Named> comment, layerName, imageName;
    for (size_t at = 0; at < head.size();) {
        const size_t end = std::min(head.find('\n', at), head.size());
        const std::string_view line = trimmed(head.substr(at, end - at));
        at = end + 1;
        if (line.starts_with("X") || line.starts_with("Y") || line.starts_with("D") ||
            line.starts_with("G54D"))
            break;
        if (line.starts_with("G04") && !comment)
            comment = byComment(line.substr(3));
        for (auto [code, found] : {std::pair{"%LN", &layerName}, std::pair{"%IN", &imageName}}) {
            const size_t p = line.find(code);
            if (p == std::string_view::npos || *found)
                continue;
            std::string_view name = line.substr(p + 3, line.find('*', p) - p - 3);
            if (name.size() >= 2 && name.front() == '"' && name.back() == '"')
                name = name.substr(1, name.size() - 2);
            *found = lookUp(names, normalised(name), std::string(code) + " " + std::string(name));
        }
    }
    return comment ? comment : layerName ? layerName : imageName;
}

} // namespace

std::optional<StatedFunction> statedFunction(std::string_view head) {
    for (auto [mark, comment] :
         {std::pair{"%TF.FileFunction,", false}, std::pair{"#@! TF.FileFunction,", true}}) {
        const size_t at = head.find(mark);
        const size_t from = at + std::string_view(mark).size();
        const size_t end = at == std::string_view::npos ? at : head.find('*', from);
        if (end != std::string_view::npos)
            return StatedFunction{std::string(head.substr(from, end - from)), comment};
    }
    return std::nullopt;
}

bool looksLikeGerber(std::string_view head) {
    if (head.starts_with("\xEF\xBB\xBF"))
        head.remove_prefix(3); // a UTF-8 mark some tools put first
    for (size_t at = 0; at < head.size();) {
        const size_t end = std::min(head.find('\n', at), head.size());
        const std::string_view line = trimmed(head.substr(at, end - at));
        at = end + 1;
        if (line.empty() || line.find_first_not_of("* ") == std::string_view::npos)
            continue; // blank lines and empty statements
        const char c = line[0];
        const bool code =
            (c == 'G' || c == 'D' || c == 'M') && line.size() > 1 && line[1] >= '0' && line[1] <= '9';
        return (c == '%' || code) && head.find("%FS") != std::string_view::npos;
    }
    return false;
}

std::optional<Named> namedRole(std::string_view fileName, std::string_view head, const NamingContext& board) {
    if (const auto stated = statedFunction(head)) {
        const std::string why =
            "X2 file function " + stated->function + (stated->comment ? ", in a comment" : "");
        const Role role = roleOfFunction(stated->function);
        return Named{role, role.layer == None ? why + ": no layer the check reads" : why, true};
    }
    if (const auto job = board.jobFunctions.find(util::lower(fileName)); job != board.jobFunctions.end()) {
        const Role role = roleOfFunction(job->second);
        const std::string why = "the job file's " + job->second;
        return Named{role, role.layer == None ? why + ": no layer the check reads" : why, true};
    }
    if (auto named = byHead(head))
        return named;
    if (auto named = byPadsName(fileName, board.padsBottom))
        return named;
    if (auto named = byName(fileName))
        return named;
    return byEnding(fileName);
}

int padsBottomOf(const std::vector<std::string>& fileNames) {
    int bottom = 0;
    for (const auto& name : fileNames) {
        const std::string base = util::lower(baseOf(name));
        if (base.size() == 6 && base.starts_with("art") &&
            base.find_first_not_of("0123456789", 3) == std::string::npos)
            bottom = std::max(bottom, std::stoi(base.substr(3)));
    }
    return bottom;
}

} // namespace fk::board
