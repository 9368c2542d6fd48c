#pragma once
// The main window's image menu: imgMenu(1..9) on the toolbar, their tooltips
// (lblToolTip over shpToolTip) and what each item does, with the rules that
// hold while the computer thinks or a network game runs; the full-screen toggle.
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QObject>
#include <QPointer>
#include <array>
#include <functional>
#include <memory>
#include <optional>

namespace corvane {

class frmMain;
class MenuButton;

class MainMenu : public QObject {
    Q_OBJECT
public:
    static constexpr int Items = 9;
    static constexpr int NormalWidth = 808; // the window outside full screen (12120 x 9465 twips)
    static constexpr int NormalHeight = 631;

    // Builds the menu on the window's toolbar. Destroy the menu before the window.
    explicit MainMenu(frmMain& window);
    ~MainMenu() override;

    // A click on item n (1..9), with every rule of the menu.
    void Click(int item);
    // The mouse over item n: shows its tooltip unless it already shows.
    void Hover(int item);
    void HideToolTip();

    // The tooltip text of item n, and its replacement (item 6 reads "Entregar"
    // during network games).
    QString ToolTipText(int item) const { return tips_.at(item); }
    void SetToolTipText(int item, const QString& text);
    // Item 2's tooltip and picture follow SoundOn.
    void ShowSoundState();

    bool FullScreen() const { return fullScreen_; }
    // Leaves full screen if the window is in it (item 4; at the close, without
    // showing the window again).
    void RestoreWindow(bool show = true);

    // The result of the last new-game dialog: true when a local game was confirmed.
    bool LastDialogConfirmed() const { return lastConfirmed_; }

    MenuButton* imgMenu(int item) const { return buttons_.at(item).get(); }
    QLabel& lblToolTip() { return *lblToolTip_; }
    QFrame& shpToolTip() { return *shpToolTip_; }
    int ShownToolTip() const { return shownToolTip_; }

    // --- Seams -------------------------------------------------------------------
    // Refusals beep here (QApplication::beep when unset).
    std::function<void()> beep;
    // Called with each dialog just before it is shown modally (tests answer it).
    std::function<void(QDialog&)> dialogShown;
    // The "NICK" setting, read each time the new-game dialog opens (unset or
    // empty: the account name is offered).
    std::function<QString()> readNick;
    // The nick chosen in the new-game dialog for a network game; empty until then.
    QString nick;
    // Network play joins through these; unset, they do nothing.
    std::function<void()> resign;          // item 6 in a network game, after "&Sim"
    std::function<void()> closeConnection; // "&Jogar" while a network game runs
    // Hosts or joins (true = host) with the dialog's nick; true once connected,
    // and the new-game dialog then closes.
    std::function<bool(bool host)> startNetwork;
    // Items 8 and 9 show the Save and Open windows; these replace them (tests).
    std::function<void()> save;
    std::function<void()> open;

private:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void Beep() const;
    void Exec(QDialog& dialog);
    void NewGame();
    void ToggleFullScreen();
    void Pause();
    void Restart();
    void SaveGame();
    void OpenGame();

    frmMain& window_;
    std::unique_ptr<QHBoxLayout> row_;
    std::array<std::unique_ptr<MenuButton>, Items + 1> buttons_;
    std::array<QString, Items + 1> tips_;
    std::unique_ptr<QFrame> shpToolTip_;
    std::unique_ptr<QLabel> lblToolTip_;
    int shownToolTip_ = 0;
    // Where the mouse was at the last click on an item: until it moves from
    // there no tooltip shows (a window that changes under a still mouse, as
    // after "Maximizar", reports hovers).
    std::optional<QPoint> clickedAt_;
    bool fullScreen_ = false;
    QByteArray normalGeometry_; // the window before full screen (saveGeometry)
    bool lastConfirmed_ = false;
};

// One picture of the menu; it lights while the mouse is over it.
class MenuButton : public QLabel {
    Q_OBJECT
public:
    MenuButton(int item, QWidget* parent);
    int Item() const { return item_; }
    // 0 the normal picture, 1 the alternative (sound off, restore).
    void SetVariant(int variant);
    int Variant() const { return variant_; }
    std::function<void()> onClick;
    std::function<void()> onHover;

protected:
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void Draw();
    int item_;
    int variant_ = 0;
    bool lit_ = false;
};

} // namespace corvane
