// The board picture painted with GDI where the ui model's view puts it: the visible layers (a plane as copper
// everywhere but its primitives), the holes over them, each finding the filter shows (ringed round its hole,
// or the segment measured with its label) and the scale bar.
#pragma once

#include "model/boardpicture.hpp"

#include <windows.h>

namespace fk::win32 {

// Paints the whole drawing of width x height pixels into `dc`; `selected` is the finding clicked (its index
// in picture.findings, or -1).
void paintBoard(HDC dc, int width, int height, const model::BoardPicture& picture,
                const model::PictureView& view, int selected);

} // namespace fk::win32
