#include "files/GameRecord.h"

#include <QStringList>

#include "files/SavedGame.h"
#include "rules/Fen.h"
#include "rules/ModChecker.h"
#include "rules/MoveText.h"
#include "rules/Notation.h"
#include "rules/PgnFile.h"

namespace corvane {

namespace {

const QString StartKey = QStringLiteral("INICIO");
const QString CountKey = QStringLiteral("LANCES");
const QString BottomKey = QStringLiteral("BRANCAS_EMBAIXO");
const QString ClocksKey = QStringLiteral("RELOGIOS");
const QString CapturedKey = QStringLiteral("CAPTURADAS");
// A day and a half on one clock is more than any game kept here runs.
constexpr qint64 MaxClockMs = qint64{36} * 3600 * 1000;
// The replay works on a ply the game and the computer's search leave alone.
constexpr int WorkPly = MaxDepth - 1;

QString MovesKey(int n) {
    return CountKey + QString::number(n);
}

// A whole non-negative number written plainly, at most `highest`; -1 otherwise.
qint64 PlainNumber(const QString& text, qint64 highest) {
    if (text.isEmpty() || text.size() > 12) return -1;
    for (const QChar c : text) {
        if (c < u'0' || c > u'9') return -1;
    }
    const qint64 value = text.toLongLong();
    return value <= highest ? value : -1;
}

bool ReadNumbers(const QString& text, int count, qint64 highest, std::vector<qint64>& out) {
    const QStringList parts = text.split(u' ', Qt::SkipEmptyParts);
    if (parts.size() != count) return false;
    out.clear();
    for (const QString& part : parts) {
        const qint64 value = PlainNumber(part, highest);
        if (value < 0) return false;
        out.push_back(value);
    }
    return true;
}

RecordRead Damaged(const QString& why) {
    RecordRead read;
    read.state = RecordRead::State::Damaged;
    read.message = QStringLiteral("Os lances salvos com o jogo não puderam ser usados (") + why +
                   QStringLiteral("); o jogo abre só com a posição.");
    return read;
}

// The moves of the record's keys, each key holding its full share.
bool ReadMoveKeys(const IniDocument& doc, const QString& section, int count,
                  std::vector<std::string>& moves, QString& why) {
    const int keys = (count + RecordMovesPerKey - 1) / RecordMovesPerKey;
    for (int k = 1; k <= keys; ++k) {
        const QString value = doc.Value(section, MovesKey(k));
        const QStringList texts = value.split(u',', Qt::SkipEmptyParts);
        const int expected = std::min(RecordMovesPerKey, count - (k - 1) * RecordMovesPerKey);
        if (texts.size() != expected) {
            why = QStringLiteral("a chave ") + MovesKey(k) + QStringLiteral(" está incompleta");
            return false;
        }
        for (const QString& text : texts) moves.push_back(text.trimmed().toStdString());
    }
    return true;
}

// Replays the moves from the start; empty when they lead to the saved position.
QString ReplayProblem(const GameRecord& record, const QString& position, int sideToMove) {
    const RulesStateKeeper keeper;
    FenPosition start;
    if (!LoadFen(record.startFen, WorkPly, start))
        return QStringLiteral("a posição inicial não é válida");
    CountPieces(WorkPly);
    bool white = start.sideToMove == "W";
    for (std::size_t i = 0; i < record.moves.size(); ++i) {
        MoveText move;
        const PieceIndex mover =
            ParseMoveText(record.moves[i], move) && OnBoard(move.fromRank, move.fromFile)
                ? Board[WorkPly][move.fromRank][move.fromFile]
                : Empty;
        if (mover == Empty || mover != move.piece || IsWhitePiece(mover) != white ||
            !PlayReadMove(move, WorkPly)) {
            return QStringLiteral("lance %1 inválido").arg(i + 1);
        }
        white = !white;
    }
    if (white != (sideToMove == 0)) return QStringLiteral("a vez de jogar não confere");
    const std::array<QString, 64> saved = PlacementSquares(position);
    for (int i = 0; i < 64; ++i) {
        if (PieceIndexOf(saved[i].toStdString()) != Board[WorkPly][RankOfImage(i)][FileOfImage(i)])
            return QStringLiteral("os lances não levam à posição salva");
    }
    return QString();
}

} // namespace

IniPairs GameRecordValues(const GameRecord& record) {
    IniPairs values;
    const int count = static_cast<int>(std::min<std::size_t>(record.moves.size(), MaxRecordMoves));
    values.append({StartKey, QString::fromStdString(record.startFen)});
    values.append({CountKey, QString::number(count)});
    for (int k = 0; k * RecordMovesPerKey < count; ++k) {
        QStringList texts;
        for (int i = k * RecordMovesPerKey; i < std::min(count, (k + 1) * RecordMovesPerKey); ++i)
            texts.append(QString::fromStdString(record.moves[i]));
        values.append({MovesKey(k + 1), texts.join(u',')});
    }
    values.append({BottomKey, record.whiteAtBottom ? QStringLiteral("1") : QStringLiteral("0")});
    values.append(
        {ClocksKey, QString::number(std::clamp<qint64>(record.whiteMs, 0, MaxClockMs)) + u' ' +
                        QString::number(std::clamp<qint64>(record.blackMs, 0, MaxClockMs))});
    QStringList captured;
    for (const int n : record.captured) captured.append(QString::number(std::clamp(n, 0, 99)));
    values.append({CapturedKey, captured.join(u' ')});
    return values;
}

RecordRead ReadGameRecord(const IniDocument& doc, const QString& section, const QString& position,
                          int sideToMove) {
    const QString countText = doc.Value(section, CountKey);
    if (countText.isEmpty()) return {};
    const qint64 count = PlainNumber(countText, MaxRecordMoves);
    if (count < 0) return Damaged(QStringLiteral("número de lances inválido"));
    GameRecord record;
    record.startFen = doc.Value(section, StartKey).toStdString();
    QString why;
    if (!ReadMoveKeys(doc, section, static_cast<int>(count), record.moves, why))
        return Damaged(why);
    const QString bottom = doc.Value(section, BottomKey);
    if (bottom != u"0" && bottom != u"1")
        return Damaged(QStringLiteral("orientação do tabuleiro inválida"));
    record.whiteAtBottom = bottom == u"1";
    std::vector<qint64> numbers;
    if (!ReadNumbers(doc.Value(section, ClocksKey), 2, MaxClockMs, numbers))
        return Damaged(QStringLiteral("relógios inválidos"));
    record.whiteMs = numbers[0];
    record.blackMs = numbers[1];
    if (!ReadNumbers(doc.Value(section, CapturedKey), 10, 99, numbers))
        return Damaged(QStringLiteral("peças capturadas inválidas"));
    for (int k = 0; k < 10; ++k) record.captured[k] = static_cast<int>(numbers[k]);
    if (const QString problem = ReplayProblem(record, position, sideToMove); !problem.isEmpty())
        return Damaged(problem);
    RecordRead read;
    read.state = RecordRead::State::Whole;
    read.record = std::move(record);
    return read;
}

} // namespace corvane
