// The board picture window after "Board Check" in plain Win32: the picked plots or the board's layers (each
// switched on and off in the list of layers), the holes over them and the findings listed, filtered by kind;
// a finding clicked is centred and zoomed on. Above, the limits row checks again with the limits typed or a
// profile's. The wheel zooms about the pointer, dragging or the arrow keys pan; a scale bar
// and the pointer's place. It paints the ui model's picture where the model's view puts it and forwards the
// events to that view.
#pragma once

#include "app/settings.hpp"
#include "model/boardpicture.hpp"
#include "model/session.hpp"

#include <windows.h>

#include <string>
#include <vector>

namespace fk::win32 {

// What the window shows. The main window keeps it for the life of the program; the window only points at it.
struct BoardPictureState {
    model::BoardPicture picture;
    model::PictureView view;
    std::vector<size_t> rows; // the finding of each row of the list, under the filter by kind
    int selected = -1;        // the finding clicked (its index in picture.findings), marked boldly
    POINT dragFrom{};         // where the last drag step ended
    POINT pointer{-1, -1};    // where the pointer was last seen over the picture
    bool dragging = false;    // the left button is down on the picture
    bool filling = false;     // the limits' fields are being filled, not typed into
    // What the check read, so that the limits row can check again; the session keeps the limits.
    model::Session* session = nullptr;
    app::Fields fields{};
};

// A hidden board picture window owned by `owner`, showing `state`.
HWND createBoardPicture(HWND owner, BoardPictureState& state);
// Shows what the session's last board check handed over, fitted into the window; "Check again" runs the
// check once more with these fields.
void showBoardPicture(HWND window, model::Session& session, const app::Fields& fields);
// Windows sends the wheel to the keyboard focus; over the picture it zooms the picture all the same. True
// when `message` was such a turn of the wheel and went to the picture.
bool wheelToPicture(HWND window, const MSG& message);

} // namespace fk::win32
