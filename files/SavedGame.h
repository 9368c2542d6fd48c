#pragma once
// Saved games: one INI file per game, name + ".sav", in the "savegames" folder
// of the program folder. The Save and Open windows are built on these calls.
#include <QDateTime>
#include <QString>
#include <QStringList>
#include <array>
#include <optional>

#include "files/GameRecord.h"

namespace corvane {

// ProgramFolder() + "savegames/"; created by MakeSaveFolder.
QString SaveFolder();
bool MakeSaveFolder();
QString SavedGamePath(const QString& name);

// ---- Save --------------------------------------------------------------------
// "Game " + n, n = 1 + the number of saved games, two digits up to 9 ("Game 04").
QString ProposedSaveName();
// The characters a name loses as it is typed: " * / : < > ? \ | and control characters.
bool IsDiscardedNameChar(QChar c);
// The name box's text after a change: discarded characters and leading blanks removed.
QString CleanSaveName(const QString& typed);
// A saved game of that name exists when its file has a length that is not zero.
bool SavedGameExists(const QString& name);
QString OverwriteQuestion(const QString& name);
// "dd/mm/yy - hh:mm".
QString SaveDateText(const QDateTime& when);

struct GameToSave {
    QString position;     // the position string of ply 0
    int level = 2;        // Level
    int playerOption = 1; // PlayerOption
    QString sideToMove;   // SideToMove: "W" is saved as 0, anything else as 1
    // The whole game, written after the five keys; none for a position alone.
    std::optional<GameRecord> record = std::nullopt;
};
// Writes "DATA", "POSTION", "DIFFICULTY", "PLAYER", "MOVE" (in this order in a
// new file) in one replacement of the file; other content of an existing file
// stays. False when the name is not a clean name or nothing could be written.
bool WriteSavedGame(const QString& name, const GameToSave& game,
                    const QDateTime& when = QDateTime::currentDateTime());
// The saved game a game in progress is kept as when the program closes,
// replaced each time. The Save window never gives this name (it discards
// the brackets as they are typed), so no save of the player's is overwritten.
inline const QString InterruptedGameName = QStringLiteral("<Jogo interrompido>");
bool WriteInterruptedGame(const GameToSave& game,
                          const QDateTime& when = QDateTime::currentDateTime());
QString SaveFailedMessage(const QString& name);

// ---- Open --------------------------------------------------------------------
// The names of the saved games, in name order (numbers inside names by value).
QStringList ListSavedGames();

struct SavedGamePreview {
    QString dateLabel;               // "Jogo salvo em: " + the saving date
    std::array<QString, 64> squares; // piece code per square, 0 = a8 .. 63 = h1
};
// Never fails: an unreadable file previews as an empty board without a date.
SavedGamePreview PreviewSavedGame(const QString& name);

struct OpenedGame {
    bool ok = false;
    QString message;      // why it cannot be opened (Portuguese) when !ok
    QString position;     // the position string to load
    int level = 0;        // 1..3, or 0: keep the current level
    int playerOption = 0; // 1..3, or 0: keep the current option
    int loadedSide = 0;   // 0 White, 1 Black to move
    // The keys whose values the game cannot use ("DIFFICULTY=9"); the current
    // values stand in for them.
    QStringList replaced;
    // The whole game when the file keeps one that agrees with its position.
    std::optional<GameRecord> record;
    // One line for the player when the file's record could not be used.
    QString recordNote;
};
// Reads a saved game for play; currentSide (0 White, 1 Black) stands in for a
// "MOVE" the game cannot use. It is refused, with a message, when the file
// cannot be read or its position is not one a game can reach.
OpenedGame OpenSavedGame(const QString& name, int currentSide = 0);
// The one line that tells the player which values were replaced; empty when none was.
QString ReplacedValuesNote(const OpenedGame& game);

// ---- Delete ------------------------------------------------------------------
// Moves the file to the desktop's trash (the freedesktop.org trash that file
// managers show and restore from). True when it has left the folder; when the
// trash cannot take it the file stays where it is.
bool DeleteSavedGame(const QString& name);
QString DeleteFailedMessage(const QString& name);

// ---- Position text -----------------------------------------------------------
// The squares a position string fills, read the way the board loads it: "/"
// starts the next row of eight, a digit skips squares, the first blank ends
// the placement.
std::array<QString, 64> PlacementSquares(const QString& position);
// Empty when the placement is eight rows of eight squares written with digits
// 1..8 and the twelve piece letters, and a game could reach it with
// sideToMove (0 White, 1 Black) to play: one king of each colour, the kings
// apart, the other side not in check, no pawn on the first or last rank.
// Otherwise the reason, in Portuguese.
QString PositionProblem(const QString& position, int sideToMove);

// The number at the start of a text, the way saved values are read: leading
// blanks skipped, a sign, digits and a fraction (rounded, halves to even);
// 0 when there is none or it does not fit.
int LeadingNumber(const QString& text);

} // namespace corvane
