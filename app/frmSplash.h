#pragma once
// The window shown while the program loads: a picture and "Aguarde,
// carregando...  ". Its timer tmrClose closes it.
#include <QDialog>
#include <QLabel>
#include <QTimer>

namespace corvane {

class frmSplash : public QDialog {
    Q_OBJECT
public:
    // closeAfterMs: 2000 in the program; tests pass less.
    explicit frmSplash(int closeAfterMs = 2000, QWidget* parent = nullptr);

    // Shows the splash modally and returns once tmrClose has closed it. Not
    // exec(): Qt runs pending events inside show() for a splash window, so a
    // short timer can close it before exec's loop begins, which then never ends.
    void Run();

    QLabel Image1, lblLoading;
    QTimer tmrClose;

protected:
    void showEvent(QShowEvent* event) override;
};

} // namespace corvane
