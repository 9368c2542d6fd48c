#pragma once
// What a screen reader finds in the main window. The board is a table of 64
// cells in the order the eye reads them (top row first, left to right, as the
// board is turned), each named by its square and what stands there ("e4, peão
// branco", "f3, vazia"); the square the keys walk is the focused cell. The
// announcer is a status bar named by its last announcement. Labels that show
// only a number (clocks, captured pieces) are described, and pictures
// (captured pieces, promotion choices) named, by what they show.
#include <QString>

class QWidget;

namespace corvane {

class BoardView;
class MainLayout;

// Installs the accessibility factory once per process.
void InstallBoardAccessibility();
// Names the main window's picture and number labels for screen readers.
void NameForReaders(MainLayout& window);

// The focused square moved to square image index (the board has the focus).
void ReportBoardFocus(BoardView* board, int index);
// The position on the board may have changed: cells whose name changed raise
// the name-change event.
void ReportBoardChanged(BoardView* board);

// The name of a cell: "e4, peão branco", "f3, vazia".
QString SquareReaderName(const BoardView& board, int index);

} // namespace corvane
