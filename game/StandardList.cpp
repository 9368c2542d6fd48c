#include "game/StandardList.h"

#include <QEvent>

#include "files/Settings.h"
#include "game/frmMain.h"
#include "rules/Pgn.h"

namespace corvane {

QStringList StandardRows(const std::string& startFen, const std::vector<std::string>& moves) {
    PgnGame game;
    game.startFen = startFen;
    game.moves = moves;
    game.result.assign(1, '*'); // no result: the rows end with the last move
    const PgnText pgn = WritePgn(game);
    if (!pgn.complete) return {};
    // The movetext follows the first blank line; the result ends it.
    const std::size_t body = pgn.text.find("\n\n");
    const QString text =
        QString::fromStdString(body == std::string::npos ? pgn.text : pgn.text.substr(body + 2));
    QStringList rows;
    for (const QString& token : text.simplified().split(u' ', Qt::SkipEmptyParts)) {
        if (token.front().isDigit() && token.endsWith(u'.')) {
            rows.append(token);
        } else if (!rows.isEmpty() && token != u"*") {
            rows.back() += u' ' + token;
        }
    }
    return rows;
}

StandardList::StandardList(QListWidget& own) : QListWidget(own.parentWidget()), own_(own) {
    setGeometry(own.geometry());
    setFont(own.font());
    setStyleSheet(own.styleSheet());
    own.installEventFilter(this);
}

void StandardList::ShowRows(const QStringList& rows) {
    clear();
    addItems(rows);
    if (count() > 0) {
        setCurrentRow(count() - 1);
        scrollToItem(item(count() - 1));
    }
}

bool StandardList::eventFilter(QObject* watched, QEvent* event) {
    if (watched == &own_ && (event->type() == QEvent::Resize || event->type() == QEvent::Move))
        setGeometry(own_.geometry());
    return QListWidget::eventFilter(watched, event);
}

// --- The controller's part ----------------------------------------------------------

void frmMain::WireStandardList() {
    standardNotation_ = ReadStandardNotation();
    // The list follows the game's own list after each change, once the change is complete.
    const auto refresh = [this] { RefreshStandardList(); };
    QAbstractItemModel* model = ListMoves()->model();
    connect(model, &QAbstractItemModel::rowsInserted, this, refresh, Qt::QueuedConnection);
    connect(model, &QAbstractItemModel::rowsRemoved, this, refresh, Qt::QueuedConnection);
    connect(model, &QAbstractItemModel::modelReset, this, refresh, Qt::QueuedConnection);
    RefreshStandardList();
}

void frmMain::SetStandardNotation(bool standard) {
    standardNotation_ = standard;
    WriteStandardNotation(standard);
    RefreshStandardList();
}

const QListWidget* frmMain::StandardMoveList() const {
    return standard_.get();
}

void frmMain::RefreshStandardList() {
    if (!standardNotation_) {
        if (standard_) standard_->hide();
        return;
    }
    if (!standard_) {
        standard_ = std::make_unique<StandardList>(*ListMoves());
        standard_->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(standard_.get(), &QWidget::customContextMenuRequested, this,
                &frmMain::ShowMoveListMenu);
        // A double click looks at the position after the row's last move.
        connect(standard_.get(), &QListWidget::itemDoubleClicked, this,
                [this](QListWidgetItem* item) {
                    int played = 0;
                    for (int r = 0; r <= standard_->row(item); ++r)
                        played += static_cast<int>(standard_->item(r)->text().count(u' '));
                    ReviewAfter(played);
                });
    }
    std::vector<std::string> moves;
    for (const GameHistory::Entry& entry : history_.Moves()) moves.push_back(entry.moveText);
    standard_->ShowRows(
        StandardRows(startFen_.empty() ? std::string(StandardStartFen) : startFen_, moves));
    standard_->show();
    standard_->raise();
}

} // namespace corvane
