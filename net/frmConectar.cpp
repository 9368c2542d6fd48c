#include "net/frmConectar.h"

#include "assets/frmPieces.h"
#include "files/Settings.h"
#include "kit/PlainText.h"

#include <QShowEvent>

namespace corvane {
namespace {

constexpr QSize kSize(540, 380);
constexpr QRect kPanel(20, 66, 500, 250);
const QColor kPanelColour(20, 87, 113);
const QString kListStyle =
    QStringLiteral("QListWidget { background: rgb(12,52,68); color: rgb(192,246,249);"
                   " border: 1px solid rgb(120,178,192); font-weight: bold; }");
// Where a found game's address is kept in its list entry.
constexpr int kAddressRole = Qt::UserRole;
constexpr QSize kButton(120, 34);
constexpr int kTickMs = 50;
// The indicator's stride and the gap it keeps from the strip's right end.
constexpr int kStride = 7;
constexpr int kRightGap = 5;

void PaintPanel(QWidget& panel) {
    panel.setGeometry(kPanel);
    QPalette palette = panel.palette();
    palette.setColor(QPalette::Window, kPanelColour);
    panel.setPalette(palette);
    panel.setAutoFillBackground(true);
    // A plain widget lets mouse presses through to the window, which is then
    // dragged as by its background.
}

void Caption(QLabel& label, const QString& text, QRect where, int pixels) {
    label.setText(text);
    QFont f = label.font();
    f.setPixelSize(pixels);
    label.setFont(f);
    label.setStyleSheet(DialogTextStyle);
    label.setGeometry(where);
    label.setAttribute(Qt::WA_TransparentForMouseEvents);
}

QPixmap Arrow(bool right) {
    return frmPieces::Instance().Pixmap(right ? QStringLiteral("imgRight")
                                              : QStringLiteral("imgLeft"));
}

} // namespace

frmConectar::frmConectar(bool netServerMode, QWidget* parent)
    : BorderlessDialog(parent), Image1(this), lblTitulo(this), picListen(this), picServidor(this),
      Label1(&picListen), Label4(&picListen), List1(&picListen), ProgressBar(&picListen),
      ImgGo(&ProgressBar), Label2(&picServidor), txtServ(&picServidor), lblMens(&picServidor),
      lblConectar(QStringLiteral("&Conectar"), this),
      lblCancelar(QStringLiteral("&Cancelar"), this), DL1(this), chkRoteador(&picListen),
      lblRoteador(&picListen), lblJogos(&picServidor), lstJogos(&picServidor),
      lblRedeLocal(&picServidor), netServerMode_(netServerMode) {
    setFixedSize(kSize);
    setWindowTitle(QStringLiteral("Conectar"));
    // The host plays White in the first game, the joiner Black.
    SetDialogHeading(Image1, lblTitulo, netServerMode_ ? 2 : 8,
                     netServerMode_ ? QStringLiteral("Criar um Jogo")
                                    : QStringLiteral("Entrar em um Jogo"),
                     14, 400);
    LayOut();

    AnimationTimer.setInterval(kTickMs);
    connect(&AnimationTimer, &QTimer::timeout, this, &frmConectar::AnimationTick);
    connectBound_.setSingleShot(true);
    connect(&connectBound_, &QTimer::timeout, this, [this] {
        if (releaseSocket) releaseSocket();
        Tell(MsgSemResposta);
        txtServ.setFocus();
    });
    connect(&txtServ, &QLineEdit::returnPressed, this, &frmConectar::Conectar);
    connect(&lblConectar, &ImageButton::clicked, this, &frmConectar::Conectar);
    connect(&lblCancelar, &ImageButton::clicked, this, &frmConectar::Cancelar);
    connect(&chkRoteador, &QCheckBox::toggled, this, &frmConectar::RouterSwitched);
    // Enter on an entry, or a double click (the style's activation).
    connect(&lstJogos, &QListWidget::itemActivated, this,
            [this](QListWidgetItem* item) { JoinListed(lstJogos.row(item)); });
    connect(&browser_, &GameBrowser::GamesChanged, this, [this] { ShowGames(browser_.Games()); });
    connect(&browser_, &GameBrowser::StateChanged, this, &frmConectar::ShowBrowserNote);

    picListen.setVisible(netServerMode_);
    picServidor.setVisible(!netServerMode_);
    lblConectar.setVisible(!netServerMode_);
}

frmConectar::~frmConectar() = default;

void frmConectar::LayOut() {
    PaintPanel(picListen);
    PaintPanel(picServidor);

    Caption(Label1,
            QStringLiteral("Você pode convidar um amigo para jogar com você\n"
                           "através da internet ou rede local:\n\n"
                           "Informe o seu IP, que é listado ao lado para o seu\n"
                           "amigo e aguarde a entrada dele no jogo"),
            QRect(14, 10, 334, 112), 13);
    Label1.setAlignment(Qt::AlignLeft | Qt::AlignTop);
    List1.setGeometry(356, 12, 130, 106);
    List1.setStyleSheet(kListStyle);
    Caption(Label4, QStringLiteral("Aguardando entrada do usuário ..."), QRect(14, 124, 330, 18),
            13);
    ProgressBar.setGeometry(14, 146, 472, 18);
    ProgressBar.setStyleSheet(QStringLiteral("background: rgb(12,52,68);"));
    ProgressBar.setAttribute(Qt::WA_StyledBackground);
    ImgGo.setPixmap(Arrow(true));
    ImgGo.setGeometry(0, 1, 28, 16);
    ImgGo.setStyleSheet(QStringLiteral("background: transparent;"));
    chkRoteador.setGeometry(14, 178, 472, 22);
    // The style's own box and tick, on the dialog's text colour.
    QPalette light = chkRoteador.palette();
    light.setColor(QPalette::WindowText, QColor(240, 226, 194));
    chkRoteador.setPalette(light);
    chkRoteador.hide(); // until the network side gives the mapping
    Caption(lblRoteador, QString(), QRect(14, 202, 472, 44), 12);
    lblRoteador.setWordWrap(true);
    lblRoteador.setAlignment(Qt::AlignLeft | Qt::AlignTop);

    Caption(Label2, QStringLiteral("Insira o IP do Servidor e clique em Conectar:"),
            QRect(20, 14, 460, 22), 14);
    txtServ.setGeometry(20, 42, 300, 28);
    txtServ.setStyleSheet(
        QStringLiteral("QLineEdit { background: rgb(12,52,68); color: rgb(192,246,249);"
                       " border: 1px solid rgb(120,178,192); border-radius: 4px; padding: 1px 5px;"
                       " font-weight: bold; }"));
    Caption(lblMens, MsgBuscando, QRect(20, 76, 460, 22), 13);
    lblMens.hide();
    Caption(lblJogos,
            QStringLiteral("Jogos na rede local (clique duas vezes ou tecle Enter para entrar):"),
            QRect(20, 104, 460, 20), 13);
    lstJogos.setGeometry(20, 126, 460, 92);
    lstJogos.setStyleSheet(kListStyle);
    lstJogos.setAccessibleName(QStringLiteral("Jogos na rede local"));
    Caption(lblRedeLocal, QString(), QRect(20, 222, 474, 20), 11);

    const int y = kSize.height() - 52;
    if (netServerMode_) {
        lblCancelar.setGeometry(QRect(QPoint((kSize.width() - kButton.width()) / 2, y), kButton));
    } else {
        lblConectar.setGeometry(QRect(QPoint(kSize.width() / 2 - 130, y), kButton));
        lblCancelar.setGeometry(QRect(QPoint(kSize.width() / 2 + 10, y), kButton));
    }
}

void frmConectar::showEvent(QShowEvent* event) {
    BorderlessDialog::showEvent(event);
    if (opened_) return;
    opened_ = true;
    if (netServerMode_) {
        OpenHost();
        return;
    }
    txtServ.setFocus();
    browser_.Start();
    ShowBrowserNote();
}

// The first address shows at once; the public one, when it is needed, comes
// from a web page once the window is up.
void frmConectar::OpenHost() {
    const LocalAddresses local =
        PickAddresses(localAddresses ? localAddresses() : LocalIPv4Addresses());
    List1.addItem(local.first);
    AnimationTimer.start();
    QTimer::singleShot(0, this, [this, local] {
        const QStringList listed = HostAddressList(
            local, [this] { return PublicAddressFromPage(DL1.GetURL(MyIpPageURL())); });
        if (closed_) return;
        for (qsizetype i = 1; i < listed.size(); ++i)
            if (List1.findItems(listed[i], Qt::MatchExactly).isEmpty()) List1.addItem(listed[i]);
    });
}

void frmConectar::AnimationTick() {
    int left = ImgGo.x();
    if (movingRight_) {
        const int last = ProgressBar.width() - (ImgGo.width() + kRightGap);
        if (left + kStride > last) {
            movingRight_ = false;
            ImgGo.setPixmap(Arrow(false));
        } else {
            left += kStride;
        }
    } else {
        left = std::max(0, left - kStride);
        if (left <= 0) {
            movingRight_ = true;
            ImgGo.setPixmap(Arrow(true));
        }
    }
    ImgGo.move(left, ImgGo.y());
}

void frmConectar::Conectar() {
    if (netServerMode_) return; // the host has no address to look for
    netServerAddress_ = txtServ.text().trimmed();
    if (netServerAddress_.isEmpty()) {
        Tell(MsgInformeServidor);
        txtServ.setFocus();
        return;
    }
    // Trying again gives up the attempt still under way.
    if (connectBound_.isActive()) {
        connectBound_.stop();
        if (releaseSocket) releaseSocket();
    }
    const int attempt = ++attempt_;
    ShowMens(MsgBuscando);
    FindServer(
        netServerAddress_, this, [this, attempt](bool found) { ServerChecked(found, attempt); },
        resolveName);
}

void frmConectar::ServerChecked(bool found, int attempt) {
    if (attempt != attempt_) return;
    if (!found) {
        lblMens.hide();
        Tell(MsgServidorNaoEncontrado);
        txtServ.setFocus();
        return;
    }
    QTimer::singleShot(500, this, [this, attempt] {
        if (attempt != attempt_) return;
        ShowMens(MsgEncontrado);
        QTimer::singleShot(500, this, [this, attempt] {
            if (attempt != attempt_) return;
            lblMens.hide();
            StartConnection();
        });
    });
}

void frmConectar::StartConnection() {
    failed_ = false;
    const bool started = startNetwork && startNetwork();
    // Connected, failed or closed already: nothing left to wait for.
    if (!started || closed_ || failed_) return;
    connectBound_.start(connectBoundMs);
}

void frmConectar::Connected() {
    done(Accepted);
}

void frmConectar::ShowPortMapping(PortMapper& mapper, quint16 port) {
    if (mapper_) disconnect(mapper_, nullptr, this, nullptr);
    mapper_ = &mapper;
    routerPort_ = port;
    chkRoteador.setText(QStringLiteral("Abrir a porta %1 no roteador (UPnP)").arg(port));
    {
        const QSignalBlocker quiet(chkRoteador); // shows the state, changes nothing
        chkRoteador.setChecked(mapper.outcome() != PortMapper::Outcome::Idle);
    }
    chkRoteador.show();
    connect(&mapper, &PortMapper::OutcomeChanged, this, &frmConectar::ShowRouterOutcome);
    ShowRouterOutcome();
}

void frmConectar::RouterSwitched(bool on) {
    WriteOpenRouterPort(on);
    if (!mapper_) return;
    if (on)
        mapper_->Start(routerPort_);
    else
        mapper_->Stop();
}

// The router's public address (known once it opened the port) is the one a
// friend on the internet types.
void frmConectar::ShowRouterOutcome() {
    if (!mapper_) return;
    ShowPlain(lblRoteador, mapper_->Note());
    const QString address = mapper_->PublicAddress();
    if (!address.isEmpty() && List1.findItems(address, Qt::MatchExactly).isEmpty())
        List1.addItem(address);
}

void frmConectar::ShowGames(const std::vector<FoundGame>& games) {
    const QListWidgetItem* current = lstJogos.currentItem();
    const QString chosen = current != nullptr ? current->text() : QString();
    lstJogos.clear();
    for (const FoundGame& game : games) {
        // A list entry shows its text as it is, never as markup.
        auto* item = new QListWidgetItem(game.Label(), &lstJogos);
        item->setData(kAddressRole, game.address);
        if (item->text() == chosen) lstJogos.setCurrentItem(item);
    }
}

void frmConectar::JoinListed(int row) {
    const QListWidgetItem* item = lstJogos.item(row);
    if (item == nullptr || netServerMode_) return;
    txtServ.setText(item->data(kAddressRole).toString());
    Conectar();
}

void frmConectar::ShowBrowserNote() {
    ShowPlain(lblRedeLocal, browser_.Note());
}

void frmConectar::ConnectionFailed(const QString& reason) {
    if (closed_) return;
    connectBound_.stop();
    failed_ = true;
    // The reason is the system's text.
    Tell(MsgConexaoFalhou.arg(CleanOutsideText(reason, 120)));
    txtServ.setFocus();
}

void frmConectar::Cancelar() {
    if (releaseSocket) releaseSocket();
    done(Rejected);
}

void frmConectar::reject() {
    Cancelar();
}

void frmConectar::done(int result) {
    closed_ = true;
    ++attempt_;
    AnimationTimer.stop();
    connectBound_.stop();
    DL1.StopWaiting();
    browser_.Stop();
    BorderlessDialog::done(result);
}

void frmConectar::Tell(const QString& text) {
    if (tellUser) {
        tellUser(text);
        return;
    }
    TellPlain(this, QMessageBox::Information, QStringLiteral("Corvane"), text);
}

void frmConectar::ShowMens(const QString& text) {
    ShowPlain(lblMens, text);
    lblMens.show();
    lblMens.repaint();
}

} // namespace corvane
