#include "files/SavedGame.h"

#include "files/Trash.h"
#include "files/modINI.h"
#include "rules/PositionCheck.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cmath>

namespace corvane {

namespace {

const QString SaveExtension = QStringLiteral(".sav");

// Entries come from the folder listing or from the caller; one that could name
// a file outside the folder is never used.
bool IsEntryName(const QString& name) {
    return !name.isEmpty() && !name.contains(u'/') && !name.contains(QChar(u'\0'));
}

QStringList SaveFileNames() {
    const QDir folder(SaveFolder());
    return folder.entryList({QStringLiteral("*.sav")},
                            QDir::Files | QDir::Hidden | QDir::CaseSensitive, QDir::NoSort);
}

// Name order with the numbers inside names compared by value, so that
// "Game 100" follows "Game 99"; letter case only breaks ties.
bool NameBefore(const QString& a, const QString& b) {
    qsizetype i = 0;
    qsizetype j = 0;
    while (i < a.size() && j < b.size()) {
        if (a[i].isDigit() && b[j].isDigit()) {
            qsizetype ei = i;
            qsizetype ej = j;
            while (ei < a.size() && a[ei].isDigit()) ++ei;
            while (ej < b.size() && b[ej].isDigit()) ++ej;
            QString na = a.mid(i, ei - i);
            QString nb = b.mid(j, ej - j);
            while (na.size() > 1 && na.front() == u'0') na.remove(0, 1);
            while (nb.size() > 1 && nb.front() == u'0') nb.remove(0, 1);
            if (na.size() != nb.size()) return na.size() < nb.size();
            if (const int c = na.compare(nb); c != 0) return c < 0;
            i = ei;
            j = ej;
            continue;
        }
        const int c = QString::compare(QString(a[i]), QString(b[j]), Qt::CaseInsensitive);
        if (c != 0) return c < 0;
        ++i;
        ++j;
    }
    if ((a.size() - i) != (b.size() - j)) return (a.size() - i) < (b.size() - j);
    return a < b;
}

QString PieceCodeOfLetter(QChar letter) {
    static const QString White = QStringLiteral("RNBQKP");
    static const QString Black = QStringLiteral("rnbqkp");
    if (const qsizetype i = White.indexOf(letter); i >= 0) return u'W' + White.mid(i, 1);
    if (const qsizetype i = Black.indexOf(letter); i >= 0) return u'B' + White.mid(i, 1);
    return QString();
}

} // namespace

QString SaveFolder() {
    return ProgramFolder() + QStringLiteral("savegames/");
}

bool MakeSaveFolder() {
    return QDir().mkpath(SaveFolder());
}

QString SavedGamePath(const QString& name) {
    return SaveFolder() + name + SaveExtension;
}

QString ProposedSaveName() {
    const qsizetype n = 1 + SaveFileNames().size();
    return QStringLiteral("Game ") + (n <= 9 ? u'0' + QString::number(n) : QString::number(n));
}

bool IsDiscardedNameChar(QChar c) {
    static const QString Discarded = QStringLiteral("\"*/:<>?\\|");
    return Discarded.contains(c) || c.unicode() < 0x20 || c.unicode() == 0x7F;
}

QString CleanSaveName(const QString& typed) {
    QString name;
    for (const QChar c : typed) {
        if (!IsDiscardedNameChar(c)) name.append(c);
    }
    qsizetype blanks = 0;
    while (blanks < name.size() && name[blanks] == u' ') ++blanks;
    return name.mid(blanks);
}

bool SavedGameExists(const QString& name) {
    const QFileInfo info(SavedGamePath(name));
    return IsEntryName(name) && info.exists() && info.size() > 0;
}

QString OverwriteQuestion(const QString& name) {
    return QStringLiteral("O arquivo ") + name + QStringLiteral(" já existe, deseja Substituí-lo?");
}

QString SaveDateText(const QDateTime& when) {
    return when.toString(QStringLiteral("dd/MM/yy - hh:mm"));
}

namespace {

bool WriteGameFile(const QString& name, const GameToSave& game, const QDateTime& when) {
    if (!MakeSaveFolder()) return false;
    IniPairs values = {
        {QStringLiteral("DATA"), SaveDateText(when)},
        {QStringLiteral("POSTION"), game.position},
        {QStringLiteral("DIFFICULTY"), QString::number(game.level)},
        {QStringLiteral("PLAYER"), QString::number(game.playerOption)},
        {QStringLiteral("MOVE"),
         game.sideToMove == u"W" ? QStringLiteral("0") : QStringLiteral("1")},
    };
    // A position alone empties the move count, so that the moves of an earlier
    // save under this name are not taken for this game's.
    if (game.record) {
        values.append(GameRecordValues(*game.record));
    } else if (const auto old = LoadIniFile(SavedGamePath(name));
               old && !old->Value(IniSection, QStringLiteral("LANCES")).isEmpty()) {
        values.append({QStringLiteral("LANCES"), QString()});
    }
    return WriteIniValues(IniSection, values, SavedGamePath(name));
}

} // namespace

bool WriteSavedGame(const QString& name, const GameToSave& game, const QDateTime& when) {
    return !name.isEmpty() && CleanSaveName(name) == name && WriteGameFile(name, game, when);
}

bool WriteInterruptedGame(const GameToSave& game, const QDateTime& when) {
    return WriteGameFile(InterruptedGameName, game, when);
}

QString SaveFailedMessage(const QString& name) {
    return QStringLiteral("Não foi possível salvar o jogo ") + name +
           QStringLiteral(". Verifique o espaço livre e as permissões da pasta ") + SaveFolder() +
           u'.';
}

QStringList ListSavedGames() {
    QStringList names;
    for (const QString& file : SaveFileNames()) {
        const QString name = file.chopped(SaveExtension.size());
        if (!name.isEmpty()) names.append(name);
    }
    std::sort(names.begin(), names.end(), NameBefore);
    return names;
}

SavedGamePreview PreviewSavedGame(const QString& name) {
    SavedGamePreview preview;
    const auto doc = IsEntryName(name) ? LoadIniFile(SavedGamePath(name)) : std::nullopt;
    const QString date = doc ? doc->Value(IniSection, QStringLiteral("DATA")) : QString();
    preview.dateLabel = QStringLiteral("Jogo salvo em: ") + date;
    if (doc) preview.squares = PlacementSquares(doc->Value(IniSection, QStringLiteral("POSTION")));
    return preview;
}

OpenedGame OpenSavedGame(const QString& name, int currentSide) {
    OpenedGame game;
    const auto doc = IsEntryName(name) ? LoadIniFile(SavedGamePath(name)) : std::nullopt;
    if (!doc) {
        game.message = QStringLiteral("Não foi possível ler o jogo ") + name + u'.';
        return game;
    }
    // Values the game cannot use keep the current ones instead of reaching
    // play; a key that is missing does so quietly, a value that is there but
    // unusable is named for the player.
    const auto value = [&](const char* key, int lowest, int highest, int& out) -> bool {
        const QString text = doc->Value(IniSection, QString::fromLatin1(key));
        const int number = LeadingNumber(text);
        if (number >= lowest && number <= highest) {
            out = number;
        } else if (!text.trimmed().isEmpty()) {
            // Shown to the player: short, and nothing that is not a printable character.
            QString shown = text.trimmed().left(12);
            for (QChar& c : shown) {
                if (!c.isPrint()) c = u'?';
            }
            game.replaced.append(QString::fromLatin1(key) + u'=' + shown);
            return false;
        }
        return true;
    };
    value("DIFFICULTY", 1, 3, game.level);
    value("PLAYER", 1, 3, game.playerOption);
    // A missing "MOVE" reads as 0: White moves.
    if (!value("MOVE", 0, 1, game.loadedSide)) game.loadedSide = currentSide == 1 ? 1 : 0;
    game.position = doc->Value(IniSection, QStringLiteral("POSTION"));
    if (const QString problem = PositionProblem(game.position, game.loadedSide);
        !problem.isEmpty()) {
        game.message =
            QStringLiteral("O jogo ") + name + QStringLiteral(" não pode ser aberto: ") + problem;
        return game;
    }
    RecordRead record = ReadGameRecord(*doc, IniSection, game.position, game.loadedSide);
    if (record.state == RecordRead::State::Whole) game.record = std::move(record.record);
    game.recordNote = record.message;
    game.ok = true;
    return game;
}

QString ReplacedValuesNote(const OpenedGame& game) {
    if (game.replaced.isEmpty()) return QString();
    return QStringLiteral("Valores que o jogo não pode usar foram trocados pelos atuais: ") +
           game.replaced.join(QStringLiteral(", ")) + u'.';
}

bool DeleteSavedGame(const QString& name) {
    if (!IsEntryName(name)) return false;
    const QString path = SavedGamePath(name);
    const QFileInfo info(path);
    if (!info.exists() && !info.isSymLink()) return true; // already gone
    return MoveToTrash(path);
}

QString DeleteFailedMessage(const QString& name) {
    return QStringLiteral("Não foi possível mover o jogo ") + name +
           QStringLiteral(" para a lixeira; o arquivo continua em ") + SaveFolder() + u'.';
}

std::array<QString, 64> PlacementSquares(const QString& position) {
    std::array<QString, 64> squares;
    int rowStart = 0;
    int square = 0;
    for (const QChar c : position) {
        if (c == u' ') break;
        if (c == u'/') {
            rowStart += 8;
            square = rowStart;
            if (rowStart >= 64) break;
        } else if (c >= u'9') {
            if (square >= 0 && square < 64) squares[square] = PieceCodeOfLetter(c);
            ++square;
        } else {
            square += c.isDigit() ? c.digitValue() : 0;
        }
    }
    return squares;
}

QString PositionProblem(const QString& position, int sideToMove) {
    const QString placement = position.left(position.indexOf(u' '));
    if (placement.isEmpty()) return QStringLiteral("o arquivo não contém uma posição.");
    QStringList rows = placement.split(u'/');
    if (rows.size() == 9 && rows.back().isEmpty()) rows.removeLast();
    bool covers64 = rows.size() == 8;
    for (const QString& row : rows) {
        int squares = 0;
        for (const QChar c : row) {
            if (c >= u'1' && c <= u'8') {
                squares += c.digitValue();
            } else if (!PieceCodeOfLetter(c).isEmpty()) {
                ++squares;
            } else {
                covers64 = false;
            }
        }
        covers64 = covers64 && squares == 8;
    }
    if (!covers64) return QStringLiteral("a posição não cobre as 64 casas do tabuleiro.");
    PlyBoard board;
    const std::array<QString, 64> squares = PlacementSquares(position);
    for (int i = 0; i < 64; ++i) {
        board[RankOfImage(i)][FileOfImage(i)] = PieceIndexOf(squares[i].toStdString());
    }
    switch (FindPositionFault(board, sideToMove == 1 ? "B" : "W")) {
    case PositionFault::None:
        break;
    case PositionFault::KingCount:
        return QStringLiteral("a posição não tem exatamente um rei de cada cor.");
    case PositionFault::KingsTouching:
        return QStringLiteral("os dois reis estão em casas vizinhas.");
    case PositionFault::WaitingInCheck:
        return sideToMove == 1
                   ? QStringLiteral("as Pretas jogam, mas o rei das Brancas está em xeque.")
                   : QStringLiteral("as Brancas jogam, mas o rei das Pretas está em xeque.");
    case PositionFault::PawnOnEndRank:
        return QStringLiteral("há um peão na primeira ou na última fileira.");
    }
    return QString();
}

int LeadingNumber(const QString& text) {
    qsizetype i = 0;
    while (i < text.size() && (text[i] == u' ' || text[i] == u'\t')) ++i;
    const qsizetype start = i;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) ++i;
    const qsizetype digitsStart = i;
    while (i < text.size() && text[i] >= u'0' && text[i] <= u'9') ++i;
    bool anyDigit = i > digitsStart;
    if (i < text.size() && text[i] == u'.') {
        const qsizetype fraction = ++i;
        while (i < text.size() && text[i] >= u'0' && text[i] <= u'9') ++i;
        anyDigit = anyDigit || i > fraction;
    }
    if (!anyDigit) return 0;
    bool ok = false;
    const double value = text.mid(start, i - start).toDouble(&ok);
    if (!ok || std::fabs(value) > 2147483647.0) return 0;
    return static_cast<int>(std::nearbyint(value));
}

} // namespace corvane
