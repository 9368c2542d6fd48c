#include "app/frmNovo.h"
#include "app/frmAviso.h"
#include "files/Settings.h"

#include "app/ShellPictures.h"
#include "assets/frmPieces.h"
#include "game/frmMain.h"
#include "rules/GameState.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <pwd.h>
#include <unistd.h>

namespace corvane {
namespace {

constexpr QSize kSize(420, 344);
const QColor kCaptionIdle(89, 150, 168);
const QColor kCaptionChosen(192, 246, 249);
const QColor kText(236, 222, 190);

QPixmap Picture(const QString& name, QSize size = {}) {
    return frmPieces::Instance().Pixmap(name, size);
}
constexpr QPoint kPanelAt(24, 78);
constexpr QSize kPanelSize(372, 190);

void Caption(QLabel& label, const QString& text, QColor colour, int pixelSize, bool bold = false) {
    label.setText(text);
    QFont f = label.font();
    f.setPixelSize(pixelSize);
    f.setBold(bold);
    label.setFont(f);
    // a style sheet, so that the main window's label style cannot override it
    label.setStyleSheet(QStringLiteral("color: %1;").arg(QColor(colour).name()));
}

void SetColour(QLabel& label, const QColor& colour) {
    // a style sheet, so that the main window's label style cannot override it
    label.setStyleSheet(QStringLiteral("color: %1;").arg(QColor(colour).name()));
}

// Each panel lies on the large frame picture, under the tab strip.
class OptionsPanel : public QWidget {
public:
    using QWidget::QWidget;

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.drawPixmap(rect(), frmPieces::Instance().Pixmap(QStringLiteral("Frame1"), size(),
                                                          devicePixelRatioF()));
    }
};

} // namespace

void ClickLabel::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) Q_EMIT clicked();
}

QString SystemUserName() {
    QByteArray name;
    if (const passwd* pw = ::getpwuid(::getuid()); pw != nullptr && pw->pw_name != nullptr)
        name = pw->pw_name;
    if (name.isEmpty()) name = qgetenv("USER");
    return QString::fromLocal8Bit(name.left(100));
}

frmNovo::frmNovo(int mode, int level, const QString& nick, QWidget* parent)
    : BorderlessDialog(parent), Label1(this), PicTab(this),
      lblJogar(QStringLiteral("&Jogar"), this), lblCancelar(QStringLiteral("&Cancelar"), this) {
    setFixedSize(kSize);
    setWindowTitle(QStringLiteral("Novo Jogo"));
    Caption(Label1, QStringLiteral("Novo Jogo"), kText, 18, true);
    Label1.setGeometry(24, 10, 372, 30);

    PicTab.setGeometry(kPanelAt.x(), kPanelAt.y() - 34, 372, 34);
    for (int t = 1; t <= 3; ++t) {
        Image1[t] = std::make_unique<ClickLabel>(this);
        Image1[t]->setGeometry(kPanelAt.x() + (t - 1) * 124, kPanelAt.y() - 34, 124, 34);
        Image1[t]->setCursor(Qt::PointingHandCursor);
        connect(Image1[t].get(), &ClickLabel::clicked, this, [this, t] { ClickTab(t); });
        picOptions[t] = std::make_unique<OptionsPanel>(this);
        picOptions[t]->setGeometry(QRect(kPanelAt, kPanelSize));
    }

    // A caption with its radio image; both choose.
    auto makeChoice = [](QWidget* panel, std::unique_ptr<ClickLabel>& caption,
                         std::unique_ptr<ClickLabel>& radio, const QString& text, int y) {
        radio = std::make_unique<ClickLabel>(panel);
        radio->setGeometry(22, y + 3, 18, 18);
        caption = std::make_unique<ClickLabel>(panel);
        Caption(*caption, text, kCaptionIdle, 13, true);
        caption->setGeometry(48, y, 220, 24);
        caption->setCursor(Qt::PointingHandCursor);
        radio->setCursor(Qt::PointingHandCursor);
    };

    // Tab 1: who plays White and who plays Black.
    QWidget* modes = picOptions[1].get();
    const std::array<QString, 4> modeTexts{QString(), QStringLiteral("Jogador com pedras branca"),
                                           QStringLiteral("Jogador com pedras preta"),
                                           QStringLiteral("Jogador contra Jogador")};
    for (int i = 1; i <= 3; ++i) {
        makeChoice(modes, lblModo[i], imgModo[i], modeTexts[i], 30 + 44 * (i - 1));
        lblModo[i]->setGeometry(46, 30 + 44 * (i - 1), 212, 24);
        connect(lblModo[i].get(), &ClickLabel::clicked, this, [this, i] { ChooseMode(i); });
        connect(imgModo[i].get(), &ClickLabel::clicked, this, [this, i] { ChooseMode(i); });
    }
    for (int i = 1; i <= 2; ++i) {
        imgVez[i] = std::make_unique<QLabel>(modes);
        imgVez[i]->setGeometry(262 + 54 * (i - 1), 60, 48, 48);
    }

    // Tab 2: the computer's level.
    QWidget* levels = picOptions[2].get();
    Label3.setParent(levels);
    Caption(Label3, QStringLiteral("Em qual nível de dificuldade deseja jogar?"), kCaptionChosen,
            14);
    Label3.setGeometry(22, 18, 340, 24);
    const std::array<QString, 4> levelTexts{QString(), QStringLiteral("Iniciante"),
                                            QStringLiteral("Intermediário"),
                                            QStringLiteral("Avançado")};
    for (int i = 1; i <= 3; ++i) {
        makeChoice(levels, lblNivel[i], imgNivel[i], levelTexts[i], 58 + 38 * (i - 1));
        connect(lblNivel[i].get(), &ClickLabel::clicked, this, [this, i] { ChooseLevel(i); });
        connect(imgNivel[i].get(), &ClickLabel::clicked, this, [this, i] { ChooseLevel(i); });
    }

    // Tab 3: a game over the network.
    QWidget* net = picOptions[3].get();
    Label2.setParent(net);
    Caption(Label2, QStringLiteral("Jogar on-line por IP"), kText, 14, true);
    Label2.setGeometry(22, 14, 330, 24);
    lblNick.setParent(net);
    Caption(lblNick, QStringLiteral("Seu Nick"), kText, 14);
    lblNick.setGeometry(22, 50, 80, 26);
    txtNome = std::make_unique<QLineEdit>(net);
    txtNome->setGeometry(104, 50, 200, 26);
    txtNome->setStyleSheet(
        QStringLiteral("QLineEdit { background: rgb(20,42,52); color: rgb(192,246,249);"
                       " border: 1px solid rgb(120,178,192); border-radius: 4px; padding: 1px 5px;"
                       " font-weight: bold; }"));
    const std::array<QString, 3> netTexts{QString(), QStringLiteral("Criar um Jogo"),
                                          QStringLiteral("Entrar em um Jogo")};
    for (int i = 1; i <= 2; ++i) {
        makeChoice(net, lblRede[i], imgRede[i], netTexts[i], 96 + 38 * (i - 1));
        connect(lblRede[i].get(), &ClickLabel::clicked, this, [this, i] { ChooseRede(i); });
        connect(imgRede[i].get(), &ClickLabel::clicked, this, [this, i] { ChooseRede(i); });
    }
    connect(txtNome.get(), &QLineEdit::textEdited, this, &frmNovo::NickEdited);

    lblJogar.setObjectName(QStringLiteral("lblJogar"));
    lblCancelar.setObjectName(QStringLiteral("lblCancelar"));
    lblJogar.setGeometry(kSize.width() / 2 - 130, kSize.height() - 56, 120, 34);
    lblCancelar.setGeometry(kSize.width() / 2 + 10, kSize.height() - 56, 120, 34);
    connect(&lblJogar, &ImageButton::clicked, this, &frmNovo::Jogar);
    connect(&lblCancelar, &ImageButton::clicked, this, &frmNovo::Cancelar);
    // Enter, in the nick box too, plays; Esc cancels.
    SetDefaultButton(&lblJogar);

    // Opening: the nick, the previous game's choices, "Criar um Jogo", tab 1 in front.
    txtNome->setText((nick.isEmpty() ? SystemUserName() : nick).toUpper());
    warningAllowed_ = !ReadWarningHidden();
    ChooseMode(mode >= 1 && mode <= 3 ? mode : 1);
    ChooseLevel(level >= 1 && level <= 3 ? level : 2);
    ChooseRede(1);
    ClickTab(1);
}

frmNovo::~frmNovo() = default;

template <std::size_t N>
void frmNovo::Select(std::array<std::unique_ptr<ClickLabel>, N>& captions,
                     std::array<std::unique_ptr<ClickLabel>, N>& radios, int index) {
    for (std::size_t i = 1; i < N; ++i) {
        const bool chosen = static_cast<int>(i) == index;
        radios[i]->setPixmap(
            Picture(chosen ? QStringLiteral("radiodown") : QStringLiteral("radioup")));
        SetColour(*captions[i], chosen ? kCaptionChosen : kCaptionIdle);
    }
}

void frmNovo::ClickTab(int tab) {
    if (tab < 1 || tab > 3) return;
    PicTab.setPixmap(Picture(QStringLiteral("imgTab%1").arg(tab), PicTab.size()));
    for (int t = 1; t <= 3; ++t) picOptions[t]->setVisible(t == tab);
    picOptions[tab]->raise();
    for (int t = 1; t <= 3; ++t) Image1[t]->raise();
    networkTab_ = tab == 3;
    if (networkTab_) txtNome->setFocus();
}

void frmNovo::ChooseMode(int index) {
    if (index < 1 || index > 3) return;
    Select(lblModo, imgModo, index);
    selection_[1] = index;
    ShowModeIcons();
}

void frmNovo::ChooseLevel(int index) {
    if (index < 1 || index > 3) return;
    Select(lblNivel, imgNivel, index);
    selection_[2] = index;
}

void frmNovo::ChooseRede(int index) {
    if (index < 1 || index > 2) return;
    Select(lblRede, imgRede, index);
    netServerMode_ = index == 1;
}

// imgVez(1) shows who plays White, imgVez(2) who plays Black; each icon carries
// the colour of the pieces it plays (variant 1 White, variant 2 Black).
void frmNovo::ShowModeIcons() {
    switch (selection_[1]) {
    case 1:
        imgVez[1]->setPixmap(Picture(QStringLiteral("imgJog1")));
        imgVez[2]->setPixmap(Picture(QStringLiteral("imgCPU2")));
        break;
    case 2:
        imgVez[1]->setPixmap(Picture(QStringLiteral("imgCPU1")));
        imgVez[2]->setPixmap(Picture(QStringLiteral("imgJog2")));
        break;
    default:
        imgVez[1]->setPixmap(Picture(QStringLiteral("imgJog1")));
        imgVez[2]->setPixmap(Picture(QStringLiteral("imgJog2")));
        break;
    }
}

void frmNovo::NickEdited(const QString& text) {
    qsizetype lead = 0;
    while (lead < text.size() && text[lead] == QLatin1Char(' ')) ++lead;
    if (lead == 0) return;
    const int cursor = txtNome->cursorPosition();
    txtNome->setText(text.mid(lead));
    txtNome->setCursorPosition(std::max(0, cursor - static_cast<int>(lead)));
}

void frmNovo::Jogar() {
    if (NetworkGame && closeConnection) closeConnection();
    if (networkTab_) {
        const QString nick = txtNome->text().trimmed();
        if (nick.size() < 4) {
            txtNome->setFocus();
            Beep(beep);
            return;
        }
        playerNick_ = nick.toUpper();
        if (startNetwork) {
            if (netServerMode_) AntivirusCheck();
            startNetwork(netServerMode_); // the dialog stays open underneath
        } else {
            Beep(beep);
        }
        return;
    }
    confirmed_ = true;
    Level = static_cast<std::int16_t>(selection_[2]);
    PlayerOption = static_cast<std::int16_t>(selection_[1]);
    accept();
}

void frmNovo::Cancelar() {
    confirmed_ = false;
    reject();
}

// The firewall warning, at most once per dialog and never once the user asked
// not to see it again.
void frmNovo::AntivirusCheck() {
    if (!warningAllowed_ || warningShown_) return;
    const bool running = antivirusRunning ? antivirusRunning() : KasperskyRunning();
    if (!running) return;
    warningShown_ = true;
    if (showWarning) {
        showWarning();
        return;
    }
    frmAviso warning(this);
    warning.move(geometry().center() - warning.rect().center());
    warning.exec();
}

} // namespace corvane
