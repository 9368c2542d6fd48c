// The chat window: what Enter sends and writes, hiding and showing again, and
// peer text shown as plain text.
#include "net/frmChat.h"
#include "net/NetProtocol.h"

#include <QTest>
#include <gtest/gtest.h>

using namespace corvane;

namespace {

TEST(frmChat, EnterSendsTheLineAsTypedAndWritesItDown) {
    PlayerNick = {"", "ANA", "ZEZE"};
    struct Row {
        QString typed;
        bool connected;
        QString sent;       // empty: nothing sent
        QString transcript; // added to the transcript
        QString left;       // what stays in the input box
    } rows[] = {
        {"bom jogo", true, "Chat:#bom jogo", "ANA : bom jogo\n", ""},
        {"  a#b ", true, "Chat:#  a#b ", "ANA :   a#b \n", ""},
        {"sem rede", false, "Chat:#sem rede", "ANA : sem rede\n", ""},
        {"   ", true, "", "", "   "},
        {"", true, "", "", ""},
    };
    for (const Row& r : rows) {
        frmChat chat;
        QStringList sent;
        chat.send = [&](const QString& message) {
            sent << message;
            return r.connected;
        };
        chat.show();
        QTest::keyClicks(&chat.txtEnviar, r.typed);
        QTest::keyClick(&chat.txtEnviar, Qt::Key_Return);
        EXPECT_EQ(sent, r.sent.isEmpty() ? QStringList() : QStringList{r.sent})
            << r.typed.toStdString();
        EXPECT_EQ(chat.txtChat.toPlainText(), r.transcript) << r.typed.toStdString();
        EXPECT_EQ(chat.txtEnviar.text(), r.left);
        EXPECT_TRUE(chat.isVisible()) << "Enter must not close the window";
    }
}

TEST(frmChat, CloseHidesAndThePeersNextLineShowsItAgain) {
    PlayerNick = {"", "ANA", "ZEZE"};
    frmChat chat;
    chat.AddPeerLine("oi");
    EXPECT_TRUE(chat.isVisible());
    QTest::mouseClick(&chat.lblClose, Qt::LeftButton);
    EXPECT_FALSE(chat.isVisible());
    chat.AddPeerLine("<b>oi</b> &amp; <img src=x>");
    EXPECT_TRUE(chat.isVisible());
    EXPECT_EQ(chat.txtChat.toPlainText(), "ZEZE : oi\nZEZE : <b>oi</b> &amp; <img src=x>\n");
}

} // namespace
