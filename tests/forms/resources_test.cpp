// The program's pictures, texts and font, and Qt's Portuguese texts for its own dialogs.
#include "resources/resources.h"
#include "widgets/messagedialog.h"

#include <QApplication>
#include <QFileDialog>
#include <QPushButton>

#include <gtest/gtest.h>

using namespace ofx;

TEST(Resources, ImageListsBannersAndIcon)
{
    for (int i = 0; i < resources::cadastroImageCount; ++i) {
        const QPixmap p = resources::cadastroImage(i);
        EXPECT_EQ(p.size(), QSize(32, 32)) << i;
        EXPECT_TRUE(p.hasAlphaChannel()) << i;
    }
    EXPECT_TRUE(resources::cadastroImage(18).isNull());
    EXPECT_EQ(resources::cadastroImageCount, 18);
    EXPECT_EQ(resources::propostaImageCount, 16);
    EXPECT_TRUE(resources::propostaImage(16).isNull());
    EXPECT_EQ(resources::entryBanner().size(), QSize(846, 108));
    EXPECT_EQ(resources::fileSelectionBanner().size(), QSize(639, 71));
    const QList<QSize> sizes = resources::programIcon().availableSizes();
    for (QSize s : {QSize(16, 16), QSize(32, 32), QSize(48, 48)})
        EXPECT_TRUE(sizes.contains(s)) << s.width();
}

TEST(Resources, TextsAndFont)
{
    EXPECT_EQ(resources::programName(), QStringLiteral("Ofertix"));
    EXPECT_EQ(resources::copyrightNotice(), QStringLiteral("© Ofertix Sistemas — todos os direitos reservados"));
    EXPECT_EQ(resources::versionText(), QStringLiteral("Versão 5.8.0.3"));
    const QFont font = resources::programFont();
    EXPECT_EQ(font.pointSize(), 8);
    EXPECT_FALSE(font.family().isEmpty());
}

// Qt's own dialogs speak Portuguese; the standard message dialog still comes with the English
// captions that the window base rewrites.
TEST(Resources, QtTranslationsLeaveTheMessageDialogInEnglish)
{
    ASSERT_TRUE(resources::installQtTranslations(*qApp));
    EXPECT_EQ(QCoreApplication::translate("QFileDialog", "&Open"), QStringLiteral("&Abrir"));
    widgets::MessageForm form(QStringLiteral("x"), widgets::MsgKind::Confirmation,
                              widgets::MsgButton::Yes | widgets::MsgButton::No | widgets::MsgButton::Cancel);
    EXPECT_EQ(form.windowTitle(), QStringLiteral("Confirm"));
    EXPECT_EQ(form.button(widgets::MsgButton::Cancel)->text(), QStringLiteral("Cancel"));
    EXPECT_EQ(form.button(widgets::MsgButton::Yes)->text(), QStringLiteral("&Yes"));
}
