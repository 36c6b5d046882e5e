// The main window in plain Win32: eight settings fields with their captions and browse buttons, the command
// buttons and the message log. Everything else (settings, captions, services, the button table) is the ui
// model's; this is widget code over it.
#pragma once

#include "model/fields.hpp"
#include "model/session.hpp"
#include "win32/boardpicture.hpp"
#include "win32/drillpreview.hpp"

#include <windows.h>

#include <string>
#include <vector>

namespace fk::win32 {

class MainWindow {
  public:
    explicit MainWindow(std::string programDir);
    MainWindow(const MainWindow&) = delete;
    MainWindow& operator=(const MainWindow&) = delete;

    // Creates and shows the window; false when Windows refused.
    bool create(int show);
    // The keyboard of the main and the help window: Tab, Alt+letter, Enter on a button, F1. True when the
    // message was handled here.
    bool translate(MSG& message);

  private:
    static int indexOfField(model::Field field) { return static_cast<int>(field); }
    static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK fieldProcedure(HWND edit, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam);

    void buildFields();
    void buildButtons();
    void buildLog();
    void addTip(HWND control, const std::string& text);
    void layout();
    void connectServices();
    app::Fields fields() const;
    void setFields(const app::Fields& values);
    void showLog();
    void onCommand(int id, int code);
    void nextControl(WPARAM which, bool isWindow);
    void pressCommand(int index);
    void clickCaption(int index);
    void openHelp();
    void openDrillPreview();
    void openBoardPicture();
    void leave(model::Field field);
    void drop(model::Field field, HDROP files);
    int restorePlace(int show);
    void keepPlace() const;
    bool close();
    HBRUSH colour(HDC dc, HWND control);
    HWND item(int id) const { return ::GetDlgItem(window_, id); }

    model::Session session_;
    HWND window_ = nullptr;
    HWND help_ = nullptr;
    HWND preview_ = nullptr;
    DrillPreviewState previewState_;
    HWND picture_ = nullptr;
    BoardPictureState pictureState_;
    HWND tooltips_ = nullptr;
    HWND lastFocus_ = nullptr;
    std::vector<int> shownButtons_; // control ids of the visible buttons, in layout order
    WNDPROC editProcedure_ = nullptr;
};

} // namespace fk::win32
