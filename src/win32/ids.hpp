// Control identifiers of the Win32 windows. The Wine-run test driver finds the controls by these too.
#pragma once

namespace fk::win32::ids {

// Main window: field, caption and browse button of caption index i (Label1), command button of index i.
inline constexpr int field = 1000;
inline constexpr int caption = 1100;
inline constexpr int browse = 1200;
inline constexpr int command = 2000;
inline constexpr int help = 2100;
inline constexpr int errorbox = 3000;
inline constexpr int written = 3001; // the files the last job wrote, under the log
inline constexpr int filesGroup = 3100;
inline constexpr int listsGroup = 3101;

// File selection window; OK and Cancel are IDOK and IDCANCEL.
inline constexpr int drivelist = 100;
inline constexpr int dirlist = 101;
inline constexpr int filelist = 102;
inline constexpr int filemask = 103;
inline constexpr int filename = 104;
inline constexpr int filecount = 105;
inline constexpr int filestatus = 106;  // what OK did instead of closing, or why it could not close
inline constexpr int boardFolder = 107; // "Board folder", where a board's files are asked for

// Alert: the message; OK and Cancel are IDOK and IDCANCEL.
inline constexpr int message = 100;

// Help window: the page and the About button; Close is IDCANCEL.
inline constexpr int helptext = 100;
inline constexpr int about = 101;

// Drill preview: the rule for headers without LZ or TZ, the note; panel i's controls from panel + 10 * i
// (title, header, drawing, marker, hole count, extent, tools); Close is IDCANCEL.
inline constexpr int rule = 100;
inline constexpr int ruleLabel = 101;
inline constexpr int previewNote = 102;
inline constexpr int panel = 200;
enum PanelPart { title, header, drawing, marker, holeCount, extent, tools, partCount };

// Board picture: the layers (a list with checks), the picture, the findings with the filter by kind above
// them and what was checked under their verdict, the line under them with the pointer's place; Close is
// IDCANCEL.
inline constexpr int layerList = 100;
inline constexpr int boardCanvas = 101;
inline constexpr int findingList = 102;
inline constexpr int pointerLine = 103;
inline constexpr int layerLabel = 104;
inline constexpr int findingLabel = 105;
inline constexpr int checkedLines = 106;
inline constexpr int kindLabel = 107;
inline constexpr int kindList = 108;
// The limits row: caption limitLabel + i and field limitField + i for row i of board::limitRows (room for
// limitRoom rows), the unit, the profiles and "Check again".
inline constexpr int profileLabel = 110;
inline constexpr int profileList = 111;
inline constexpr int limitUnit = 118;
inline constexpr int checkAgain = 119;
inline constexpr int limitRoom = 20;
inline constexpr int limitLabel = 120;
inline constexpr int limitField = limitLabel + limitRoom;

// Window classes and titles the driver looks for.
inline constexpr const char* mainClass = "FlashkitMain";
inline constexpr const char* mainTitle = "Flashkit";
inline constexpr const char* helpTitle = "Flashkit Help";
inline constexpr const char* previewTitle = "Flashkit Drill Preview";
inline constexpr const char* pictureTitle = "Flashkit Board Check";
inline constexpr const wchar_t* canvasClass = L"FlashkitBoardCanvas";

} // namespace fk::win32::ids
