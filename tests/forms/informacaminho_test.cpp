// The file selection window: layout, the confirm operation with its two messages, the entry
// window's lifetime, focus and keys, and the browse dialog.
#include "forms/InformaCaminho.h"
#include "forms/LancamentoProposta.h"
#include "formtest.h"
#include "testsupport.h"
#include "widgets/iconbutton.h"
#include "widgets/statusbar.h"

#include <QAction>
#include <QFileDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>

#include <gtest/gtest.h>

using namespace ofx;
using forms::TFInformaCaminho;
using forms::TFLancamentoProposta;

namespace {

struct FileSelection : ::testing::Test {
    FileSelection()
    {
        forms::vCaminhoArquivo.clear();
        test::showActive(window);
    }

    // Types the path and confirms; entry windows that open are handed to onEntry, then closed.
    std::vector<test::SeenDialog> confirm(const QString& path, int button = 0,
                                          std::function<void(TFLancamentoProposta&)> onEntry = {})
    {
        window.edtCaminho->setText(path);
        test::DialogAnswerer answer(button, [&](QWidget& w) {
            if (auto* entry = qobject_cast<TFLancamentoProposta*>(&w)) {
                entries.push_back(entry);
                if (onEntry)
                    onEntry(*entry);
            }
            w.close();
        });
        window.bbtConfirmar->click();
        return answer.dialogs;
    }

    test::TempDir dir;
    TFInformaCaminho window;
    std::vector<QPointer<TFLancamentoProposta>> entries;
};

QString pathOf(const std::filesystem::path& p)
{
    return QString::fromStdString(p.string());
}

}  // namespace

TEST_F(FileSelection, LayoutAndTabOrder)
{
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Bravin - Ofertix"));
    EXPECT_EQ(window.size(), QSize(643, 199));
    EXPECT_EQ(window.minimumSize(), window.maximumSize());  // not resizable
    EXPECT_FALSE(window.windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_TRUE(window.windowFlags() & Qt::WindowMinimizeButtonHint);
    EXPECT_EQ(window.grbCaminho->title(), QStringLiteral("Selecione o arquivo para registrar suas propostas"));

    const std::pair<QWidget*, QRect> placed[] = {
        {window.imgCabecalho, QRect(2, 16, 639, 71)},   {window.lblArquivo, QRect(24, 101, 0, 0)},
        {window.edtCaminho, QRect(68, 99, 524, 21)},    {window.bbtCaminho, QRect(593, 97, 23, 23)},
        {window.bbtConfirmar, QRect(283, 127, 36, 36)}, {window.bbtSair, QRect(320, 127, 36, 36)},
        {window.dxStatusBar, QRect(0, 178, 643, 21)},
    };
    for (const auto& [widget, rect] : placed) {
        EXPECT_EQ(widget->pos(), rect.topLeft()) << widget->metaObject()->className();
        if (!rect.size().isEmpty()) {
            EXPECT_EQ(widget->size(), rect.size()) << widget->metaObject()->className();
        }
    }
    EXPECT_EQ(window.lblArquivo->text(), QStringLiteral("Arquivo:"));
    EXPECT_EQ(window.imgCabecalho->focusPolicy(), Qt::NoFocus);
    EXPECT_EQ(window.dxStatusBar->panelRect(0).width(), 503 - 2);
    EXPECT_EQ(window.dxStatusBar->panelText(0), QStringLiteral("© Ofertix Sistemas — todos os direitos reservados"));
    EXPECT_EQ(window.dxStatusBar->panelText(1), QStringLiteral("Versão 5.8.0.3"));

    // Tab order: bbtConfirmar, bbtSair, edtCaminho, bbtCaminho, and round again.
    window.bbtConfirmar->setFocus();
    for (QWidget* next : std::initializer_list<QWidget*>{window.bbtSair, window.edtCaminho, window.bbtCaminho,
                                                         window.bbtConfirmar}) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        EXPECT_EQ(QApplication::focusWidget(), next);
    }
}

TEST_F(FileSelection, ActionsAndTheirButtons)
{
    const std::tuple<QAction*, const char*, const char*, widgets::IconButton*> rows[] = {
        {window.ActImportar, "Importar", "Ctrl+I", window.bbtConfirmar},
        {window.ActSair, "Sair", "Ctrl+F4", window.bbtSair},
        {window.actBuscarDestino, "Diretório", "Ctrl+D", window.bbtCaminho},
    };
    for (const auto& [action, hint, key, button] : rows) {
        EXPECT_EQ(action->toolTip(), QString::fromUtf8(hint));
        EXPECT_EQ(action->shortcut(), QKeySequence(QLatin1String(key)));
        EXPECT_EQ(button->action(), action);
        EXPECT_EQ(button->toolTip(), QString::fromUtf8(hint));
        EXPECT_FALSE(button->icon().isNull());
    }
}

// Empty: one message, and either answer stops there. A path of blanks is not empty but names
// no file, and so does a missing file.
TEST_F(FileSelection, RefusedPathsShowTheirMessageAndOpenNothing)
{
    struct Case {
        QString path;
        int button;
        const char* text;
        QStringList buttons;
    };
    const Case cases[] = {
        {QString(), 0, "O diretório do arquivo deve ser informado.", {"&Ok", "&Cancelar"}},
        {QString(), 1, "O diretório do arquivo deve ser informado.", {"&Ok", "&Cancelar"}},
        {QStringLiteral("   "), 0, "O arquivo informado não foi encontrado.", {"&Ok"}},
        {pathOf(dir.file("faltando.TXT")), 0, "O arquivo informado não foi encontrado.", {"&Ok"}},
        {pathOf(dir.path()), 0, "O arquivo informado não foi encontrado.", {"&Ok"}},  // a folder
        {pathOf(dir.file("proposta_\u015F.TXT")), 0,
         "O nome do arquivo informado tem caracteres que os arquivos de proposta não aceitam. Renomeie o arquivo (ou a "
         "pasta) sem eles e tente novamente.",
         {"&Ok"}},  // an existing file whose name CP1252 cannot hold
    };
    test::writeFile(dir.file("proposta_\u015F.TXT"), "C|\r\nH|x|2025|1|1|d||0|\r\n");
    for (const Case& c : cases) {
        const auto seen = confirm(c.path, c.button);
        ASSERT_EQ(seen.size(), 1u) << c.text;
        EXPECT_EQ(seen[0].className, QStringLiteral("ofx::widgets::MessageForm"));
        EXPECT_EQ(seen[0].title, QStringLiteral("Informação"));
        EXPECT_EQ(seen[0].text, QString::fromUtf8(c.text));
        EXPECT_EQ(seen[0].buttons, c.buttons);
        EXPECT_TRUE(entries.empty());
        EXPECT_EQ(forms::vCaminhoArquivo, "");
        EXPECT_EQ(window.edtCaminho->text(), c.path);
    }
}

TEST_F(FileSelection, PathIsStoredAsTypedBlanksIncluded)
{
    const auto file = dir.file("proposta 00000000000000.TXT ");
    test::writeFile(file, "C|\r\nH|x|2025|1|1|d||0|\r\n");
    const auto seen = confirm(pathOf(file));
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(forms::vCaminhoArquivo, file.string());
    EXPECT_EQ(seen.size(), 1u);  // the entry window, and no message
}

TEST_F(FileSelection, PathIsKeptInCp1252)
{
    const auto file = dir.file("licitação.TXT");
    test::writeFile(file, "C|\r\nH|x|2025|1|1|d||0|\r\n");
    confirm(pathOf(file));
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(forms::vCaminhoArquivo, dir.path().string() + "/licita\xE7\xE3o.TXT");
}

// Each confirm makes a new entry window with new, empty tables, and disposes of it when it
// closes: destroyed exactly once, whether it freed itself or the caller did.
TEST_F(FileSelection, EachConfirmOpensANewWindowDestroyedOnce)
{
    const auto file = dir.file("a.txt");
    test::writeFile(file, "C|\r\nH|x|2025|1|1|d||0|\r\n");
    int destroyed = 0;
    std::vector<int> rowsAtOpen;
    auto onEntry = [&](TFLancamentoProposta& entry) {
        QObject::connect(&entry, &QObject::destroyed, [&] { ++destroyed; });
        rowsAtOpen.push_back(entry.cdsProposta.recordCount() + entry.cdsLote.recordCount());
        EXPECT_TRUE(entry.isModal());
        EXPECT_FALSE(window.isActiveWindow());
        entry.cdsProposta.append();  // leave something behind in this window's tables
        entry.cdsProposta.setValue("NO_LOTE", 1);
        entry.cdsProposta.post();
    };
    confirm(pathOf(file), 0, onEntry);
    confirm(pathOf(file), 0, onEntry);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    ASSERT_EQ(entries.size(), 2u);
    // Each window holds only its own load of the file (one lot line), never the row left behind.
    EXPECT_EQ(rowsAtOpen, (std::vector<int>{1, 1}));
    EXPECT_EQ(destroyed, 2);
    EXPECT_TRUE(entries[0].isNull());
    EXPECT_TRUE(entries[1].isNull());
}

TEST_F(FileSelection, EntryWindowEndedWithoutClosingIsDisposedOfToo)
{
    const auto file = dir.file("a.TXT");
    test::writeFile(file, "C|\r\nH|x|2025|1|1|d||0|\r\n");
    window.edtCaminho->setText(pathOf(file));
    QPointer<TFLancamentoProposta> entry;
    test::DialogAnswerer answer(0, [&](QWidget& w) {
        entry = qobject_cast<TFLancamentoProposta*>(&w);
        static_cast<QDialog&>(w).done(0);  // hidden, not closed
    });
    window.bbtConfirmar->click();
    EXPECT_TRUE(entry.isNull());
}

TEST_F(FileSelection, FocusGoesToTheBrowseButtonOnEveryActivation)
{
    EXPECT_EQ(QApplication::focusWidget(), window.bbtCaminho);
    window.edtCaminho->setFocus();
    confirm(QString());  // a message dialog comes and goes
    EXPECT_EQ(QApplication::focusWidget(), window.bbtCaminho);
}

// Enter on a command button presses it; in the path field it does nothing.
TEST_F(FileSelection, EnterPressesTheFocusedButton)
{
    window.edtCaminho->clear();
    {
        test::DialogAnswerer answer;
        QTest::mouseClick(window.edtCaminho, Qt::LeftButton);
        QTest::keyClick(window.edtCaminho, Qt::Key_Return);
        EXPECT_EQ(QApplication::focusWidget(), window.edtCaminho);
        EXPECT_TRUE(answer.dialogs.empty());
        QTest::keyClick(window.edtCaminho, Qt::Key_Tab);  // to the browse button, then "Importar"
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        ASSERT_EQ(QApplication::focusWidget(), window.bbtConfirmar);
        QTest::keyClick(window.bbtConfirmar, Qt::Key_Return);
        ASSERT_EQ(answer.dialogs.size(), 1u);
        EXPECT_EQ(answer.dialogs[0].text, QStringLiteral("O diretório do arquivo deve ser informado."));
    }
    {
        test::DialogAnswerer answer(0, [](QWidget& w) { static_cast<QDialog&>(w).reject(); });
        window.bbtCaminho->setFocus(Qt::TabFocusReason);
        QTest::keyClick(window.bbtCaminho, Qt::Key_Enter);
        ASSERT_EQ(answer.dialogs.size(), 1u);  // the browse dialog
    }
}

TEST_F(FileSelection, CtrlIConfirmsDespiteTheBaseActionOnTheSameKey)
{
    int baseTriggered = 0;
    QObject::connect(window.actNovo, &QAction::triggered, [&] { ++baseTriggered; });
    window.edtCaminho->clear();
    window.edtCaminho->setFocus();
    test::DialogAnswerer answer;
    QTest::keySequence(&window, QKeySequence("Ctrl+I"));
    ASSERT_EQ(answer.dialogs.size(), 1u);
    EXPECT_EQ(answer.dialogs[0].text, QStringLiteral("O diretório do arquivo deve ser informado."));
    EXPECT_EQ(baseTriggered, 0);
}

TEST_F(FileSelection, BrowsingPutsTheChosenFileAndCancelLeavesTheField)
{
    const auto lower = dir.file("proposta.txt");
    test::writeFile(lower, "C|\r\nH|x|2025|1|1|d||0|\r\n");
    window.edtCaminho->setText(QStringLiteral("antes"));

    QStringList filters;
    QString suffix;
    {
        test::DialogAnswerer answer(0, [&](QWidget& w) { static_cast<QDialog&>(w).reject(); });
        QTest::mouseClick(window.edtCaminho, Qt::LeftButton);
        QTest::keySequence(window.edtCaminho, QKeySequence("Ctrl+D"));
        ASSERT_EQ(answer.dialogs.size(), 1u);
    }
    EXPECT_EQ(window.edtCaminho->text(), QStringLiteral("antes"));
    EXPECT_EQ(QApplication::focusWidget(), window.edtCaminho);  // back where Ctrl+D was pressed

    {
        test::DialogAnswerer answer(0, [&](QWidget& w) {
            auto& dialog = static_cast<QFileDialog&>(w);
            filters = dialog.nameFilters();
            suffix = dialog.defaultSuffix();
            // selectFile leaves a focused file name field alone.
            if (QWidget* focused = QApplication::focusWidget())
                focused->clearFocus();
            dialog.selectFile(pathOf(lower));
            static_cast<QDialog&>(dialog).accept();  // QFileDialog's checks the file
        });
        window.bbtCaminho->click();
    }
    EXPECT_EQ(filters, QStringList{QStringLiteral("Arquivos de Texto (*.TXT *.txt)")});
    EXPECT_EQ(suffix, QStringLiteral("TXT"));
    EXPECT_EQ(window.edtCaminho->text(), pathOf(lower));
}
