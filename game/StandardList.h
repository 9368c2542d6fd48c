#pragma once
// The move list in standard notation: numbered pairs ("1. e4 e5", "12... Nf6")
// with "+" and "#", shown in place of the game's own list, which stays the
// record of the game underneath.
#include <QListWidget>
#include <QStringList>
#include <string>
#include <vector>

namespace corvane {

// The rows of a game in standard notation: its PGN movetext split at the move
// numbers. Empty when a move is not legal in its position.
QStringList StandardRows(const std::string& startFen, const std::vector<std::string>& moves);

class StandardList : public QListWidget {
public:
    // Lies over `own` and follows its size.
    explicit StandardList(QListWidget& own);
    void ShowRows(const QStringList& rows);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QListWidget& own_;
};

} // namespace corvane
