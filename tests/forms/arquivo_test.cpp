// The entry window's file side: loading a proposal file on the first activation, and saving the
// proposal back (checks, questions, writing with the progress bar, renaming after the document,
// failures that must leave the file as it was).
#include "forms/InformaCaminho.h"
#include "forms/LancamentoProposta.h"
#include "formtest.h"
#include "proposalfiles.h"
#include "testsupport.h"

#include "editors/dateedit.h"
#include "editors/maskededit.h"
#include "grid/datagrid.h"
#include "proposal/document.h"
#include "proposal/loader.h"
#include "proposal/processvariables.h"
#include "proposal/tables.h"
#include "reportengine/reportpreview.h"
#include "text/cp1252.h"
#include "widgets/dbtext.h"
#include "widgets/iconbutton.h"
#include "widgets/messagedialog.h"
#include "widgets/modal.h"
#include "widgets/progressbar.h"

#include <QCheckBox>
#include <QComboBox>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPointer>
#include <QProcess>
#include <QTableView>

#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <functional>
#include <set>
#include <string>
#include <vector>


using namespace ofx;
using forms::TFLancamentoProposta;
using widgets::MsgButton;
using widgets::MsgKind;
namespace fs = std::filesystem;

namespace {

const QString invalidFormat = QStringLiteral("O formato do arquivo informado é inválido.");
const QString exported = QStringLiteral("Arquivo exportado com sucesso.");
const QString noValidity = QStringLiteral("A data de validade da proposta não foi informada. Deseja continuar?");
const QString noDeadline = QStringLiteral("O prazo de entrega/execução não foi informado. Deseja continuar?");
const QString noValue = QStringLiteral(
    "Existe(m) item(s) sem valor(es). \nO não preenchimento do valor unitário do item ocasionará a "
    "desclassificação do licitante no mesmo.\nDeseja continuar?");
const QString noDiscount = QStringLiteral(
    "Existe(m) item(s) sem percentual de desconto. \nO não preenchimento do percentual de desconto unitário do "
    "item ocasionará a desclassificação do licitante no mesmo.\nDeseja continuar?");

// --- proposal files --------------------------------------------------------------------------

using namespace test::files;

// --- dialogs ---------------------------------------------------------------------------------

struct Seen {
    bool systemBox = false;
    MsgKind kind = MsgKind::Custom;
    QString title;
    QString text;
    QString pdfPath;  // a report preview: the PDF name it offers
};

// Answers every dialog: a standard dialog with the button `answer` picks (by default Yes when it
// has one, else OK), the system box with OK. Records what was shown.
class Dialogs {
public:
    using Answer = std::function<MsgButton(const Seen&, int index)>;
    explicit Dialogs(Answer answer = {})
        : hook_([this, answer](QWidget& w) {
              Seen seen;
              seen.title = w.windowTitle();
              const int index = static_cast<int>(shown.size());
              if (auto* form = qobject_cast<widgets::MessageForm*>(&w)) {
                  seen.kind = form->kind();
                  seen.text = form->messageLabel()->text();
                  shown.push_back(seen);
                  MsgButton b = answer ? answer(seen, index) : MsgButton::None;
                  if (b == MsgButton::None)
                      b = form->button(MsgButton::Yes) ? MsgButton::Yes : MsgButton::OK;
                  if (QPushButton* button = form->button(b))
                      button->click();
                  else
                      w.close();
              } else if (auto* box = qobject_cast<QMessageBox*>(&w)) {
                  seen.systemBox = true;
                  seen.text = box->text();
                  shown.push_back(seen);
                  box->buttons().first()->click();
              } else {
                  if (auto* preview = qobject_cast<reportengine::ReportPreview*>(&w))
                      seen.pdfPath = preview->suggestedPdfPath();
                  shown.push_back(seen);
                  w.close();
              }
          })
    {
    }

    QStringList texts() const
    {
        QStringList t;
        for (const Seen& s : shown)
            t << s.text;
        return t;
    }
    bool endedWithSuccess() const { return !shown.empty() && shown.back().systemBox && shown.back().text == exported; }

    std::vector<Seen> shown;

private:
    widgets::ScopedModalHook hook_;
};

MsgButton noAt(int which, int index) { return index == which ? MsgButton::No : MsgButton::None; }

// --- the window ------------------------------------------------------------------------------

std::set<std::string> namesIn(const fs::path& folder)
{
    std::set<std::string> names;
    for (const auto& e : fs::directory_iterator(folder))
        names.insert(e.path().filename().string());
    return names;
}

struct Arquivo : ::testing::Test {
    void SetUp() override { proposal::processVariables().clear(); }
    void TearDown() override { close(); }

    fs::path write(const std::string& name, const std::string& bytes)
    {
        const fs::path p = dir.file(name);
        fs::create_directories(p.parent_path());
        test::writeFile(p, bytes);
        return p;
    }

    // Confirms the file as the file selection window does and shows the entry window, which
    // loads it on its first activation. The caller's Dialogs answers what loading shows.
    void open(const fs::path& path)
    {
        close();
        forms::vCaminhoArquivo = text::utf8ToCp1252(path.string());
        w = new TFLancamentoProposta;
        test::showActive(*w);
    }
    void close() { delete w.data(); }

    int column(const char* name) const { return w->dbgItensDados->columnIndex(QLatin1String(name)); }
    bool allNavigationEnabled() const
    {
        return w->btnPrimeiro->isEnabled() && w->btnAnterior->isEnabled() && w->btnProximo->isEnabled()
               && w->btnUltimo->isEnabled();
    }
    // The window as saving must leave it, whether or not the file was written.
    void expectRestored() const
    {
        EXPECT_TRUE(allNavigationEnabled());
        for (QWidget* c : std::initializer_list<QWidget*>{w->bbtSalvar, w->bbtImprimir, w->bbtSair, w->edtValidade,
                                                          w->edtProposta, w->mmObs})
            EXPECT_TRUE(c->isEnabled());
        EXPECT_TRUE(w->ActSalvarProposta->isEnabled());
        EXPECT_EQ(w->pgbStatus->value(), 0);
        EXPECT_FALSE(w->cdsProposta.controlsDisabled());
        EXPECT_FALSE(w->cdsLote.controlsDisabled());
        EXPECT_TRUE(static_cast<bool>(w->cdsLote.afterScroll));
        EXPECT_EQ(w->cdsProposta.position(), 0);
        EXPECT_EQ(w->dbtNumLote->text(), QStringLiteral("1"));
        EXPECT_EQ(w->cdsLote.filter(), "NO_LOTE = 1");
    }

    // Changes an item as an entry would: in the shown lot through the items table (posted at
    // once, as the grid does), in another lot through a second cursor.
    void changeItem(int code, std::string_view fieldName, const data::Value& value)
    {
        data::MemTable& shown = w->cdsLote;
        for (int i = 0; i < shown.recordCount(); ++i) {
            const auto* c = std::get_if<std::int32_t>(&shown.valueAt(i, shown.fieldIndex(proposal::field::CD_ITEM)));
            if (c && *c == code) {
                shown.moveTo(i);
                shown.edit();
                shown.setValue(fieldName, value);
                shown.post();
                return;
            }
        }
        data::MemTable c;
        c.cloneCursor(w->cdsLote);
        c.open();
        for (int i = 0; i < c.recordCount(); ++i) {
            c.moveTo(i);
            if (c.asInteger(proposal::field::CD_ITEM) == code) {
                c.edit();
                c.setValue(fieldName, value);
                c.post();
                return;
            }
        }
        ADD_FAILURE() << "no item " << code;
    }

    // The saved file loaded back.
    struct Reloaded {
        data::MemTable lots, items;
        proposal::ProcessVariables vars;
        proposal::LoadResult result;
        std::string brandOf(int code)
        {
            data::MemTable c;
            c.cloneCursor(items);
            c.open();
            for (int i = 0; i < c.recordCount(); ++i) {
                c.moveTo(i);
                if (c.asInteger(proposal::field::CD_ITEM) == code) {
                    // The file holds the brand with its fill blanks.
                    std::string brand = c.asText(proposal::field::DS_MARCA);
                    brand.erase(brand.find_last_not_of(' ') + 1);
                    return brand;
                }
            }
            return "(none)";
        }
    };
    std::unique_ptr<Reloaded> reload(const fs::path& p)
    {
        auto r = std::make_unique<Reloaded>();
        proposal::createLotsTable(r->lots);
        proposal::createItemsTable(r->items);
        r->result = proposal::loadProposalFile(p, r->lots, r->items, r->vars);
        EXPECT_TRUE(r->result.ok) << r->result.error;
        return r;
    }

    test::TempDir dir;
    QPointer<TFLancamentoProposta> w;
};

// --- loading ---------------------------------------------------------------------------------

// The participant line decides which fields may be typed in, what they show and where the focus
// goes.
TEST_F(Arquivo, ParticipantStatesAfterLoading)
{
    struct Case {
        const char* code;
        const char* document;
        bool address;
        bool identity;
        const char* type;
        std::string_view mask;
        const char* shown;
    };
    const Case cases[] = {
        {"00000000", "00000000000000", true, true, "CNPJ", proposal::cnpjMask, "  .   .   /    -  "},
        {"00000123", "11222333000181", false, false, "CNPJ", proposal::cnpjMask, "11.222.333/0001-81"},
        {"00000123", "00000000000000", false, true, "CNPJ", proposal::cnpjMask, "  .   .   /    -  "},
        {"00000123", "cpf52998224725", false, false, "CPF", proposal::cpfMask, "529.982.247-25"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.document);
        proposal::processVariables().clear();
        Participant p;
        p.code = c.code;
        p.document = c.document;
        p.name = "ACME LTDA   ";
        Dialogs dialogs;
        open(write("p.TXT", proposalFile(p)));
        EXPECT_TRUE(dialogs.shown.empty());
        EXPECT_FALSE(w->FArquivoInvalido);
        EXPECT_FALSE(w->edtCdFornecedor->isEnabled());
        for (QWidget* f : std::initializer_list<QWidget*>{w->edtEndereco, w->edtNumero, w->edtCEP, w->edtBairro,
                                                          w->edtCidade, w->edtUF})
            EXPECT_EQ(f->isEnabled(), c.address);
        for (QWidget* f : std::initializer_list<QWidget*>{w->edtNmFornecedor, w->edtTipoDocumento, w->edtCpfCnpj})
            EXPECT_EQ(f->isEnabled(), c.identity);
        EXPECT_EQ(w->edtTipoDocumento->currentText(), QLatin1String(c.type));
        EXPECT_EQ(w->edtCpfCnpj->editMask(), QLatin1String(c.mask.data(), c.mask.size()));
        EXPECT_EQ(w->edtCpfCnpj->text(), QLatin1String(c.shown));
        EXPECT_EQ(QApplication::focusWidget(), c.identity ? static_cast<QWidget*>(w->edtNmFornecedor) : w->edtValidade);
        // Shown trimmed; the variable keeps the file's blanks.
        EXPECT_EQ(w->edtCdFornecedor->text(), QLatin1String(c.code));
        EXPECT_EQ(w->edtNmFornecedor->text(), QStringLiteral("ACME LTDA"));
        EXPECT_EQ(proposal::processVariables().vNmFornecedor, "ACME LTDA   ");
        EXPECT_EQ(w->edtCidade->text(), QStringLiteral("Florianópolis"));
        EXPECT_EQ(w->edtCEP->text(), QStringLiteral("88.000-000"));
        EXPECT_EQ(w->edtUF->currentText(), QStringLiteral("SC"));
    }
}

// Dates (only the validity date is compared with "00/00/0000"), observations, the pricing mode
// chosen by the last lot line, and the first lot shown.
TEST_F(Arquivo, DatesObservationsPricingModeAndFirstLot)
{
    struct Case {
        const char* validity;
        const char* deadline;
        const char* firstFlag;
        const char* lastFlag;
        const char* shownValidity;
        const char* shownDeadline;
        bool discount;
    };
    const Case cases[] = {
        {"00/00/0000", "15/07/2025", "0", "1", "", "", true},
        {"30/06/2025", "00/00/0000", "1", "0", "30/06/2025", "00/00/0000", false},
        {"30/06/2025", "15/07/2025", "0", "0", "30/06/2025", "15/07/2025", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.validity);
        Participant p;
        p.validity = c.validity;
        p.deadline = c.deadline;
        const std::string body = lotLine("1", c.firstFlag) + itemLine("2") + itemLine("1") + lotLine("2", c.lastFlag)
                                 + itemLine("3");
        Dialogs dialogs;
        open(write("p.TXT", proposalFile(p, body)));
        EXPECT_EQ(w->edtValidade->text(), QLatin1String(c.shownValidity));
        EXPECT_EQ(w->edtProposta->text(), QLatin1String(c.shownDeadline));
        EXPECT_EQ(w->mmObs->toPlainText(), QStringLiteral("Entrega em horário comercial"));
        EXPECT_EQ(w->dbgItensDados->isColumnVisible(column("dbgItensDadosColumn9")), c.discount);
        EXPECT_EQ(w->dbgItensDados->isColumnVisible(column("dbgItensDadosColumn10")), c.discount);
        // First lot, its items by code, the first one's description below the grid.
        EXPECT_FALSE(w->cdsProposta.controlsDisabled());
        EXPECT_FALSE(w->cdsLote.controlsDisabled());
        EXPECT_EQ(w->dbtNumLote->text(), QStringLiteral("1"));
        EXPECT_EQ(w->cdsLote.recordCount(), 2);
        EXPECT_EQ(w->cdsLote.asInteger("CD_ITEM"), 1);
        EXPECT_EQ(w->cdsLote.state(), data::TableState::Edit);
        EXPECT_EQ(w->mmDescricao->toPlainText(), QStringLiteral("Item 1"));
        EXPECT_TRUE(allNavigationEnabled());
        EXPECT_FALSE(forms::vCarregarArquivo);
    }
}

// A file that does not load is reported; the window shows nothing of it and refuses to save
// and to print.
TEST_F(Arquivo, InvalidFileIsReportedAndRefusesSavingAndPrinting)
{
    struct Case {
        const char* what;
        std::string bytes;  // empty: no file at all
        int line = 0;       // where the message says the bad text is (0: no line named)
    };
    Participant registered;
    const Case cases[] = {
        {"only item lines", text::utf8ToCp1252(itemLine("1") + itemLine("2"))},
        {"year with a letter", proposalFile(registered, lotLine("1", "0", "2O25") + itemLine("1")), 2},
        {"second lot with a bad year", proposalFile(registered, standardBody() + lotLine("3", "0", "20x5")), 7},
        {"missing file", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const fs::path p = dir.file("invalido.TXT");
        fs::remove(p);
        if (!c.bytes.empty())
            write("invalido.TXT", c.bytes);
        Dialogs dialogs;
        open(p);
        ASSERT_EQ(dialogs.shown.size(), 1u);
        EXPECT_EQ(dialogs.shown[0].kind, MsgKind::Information);
        EXPECT_TRUE(dialogs.shown[0].text.startsWith(QStringLiteral("O formato do arquivo informado é inválido. Erro: ")))
            << dialogs.shown[0].text.toStdString();
        EXPECT_GT(dialogs.shown[0].text.size(), 52);
        EXPECT_EQ(dialogs.shown[0].text.endsWith(QStringLiteral("\nLinha %1 do arquivo.").arg(c.line)), c.line > 0)
            << dialogs.shown[0].text.toStdString();
        EXPECT_TRUE(w->FArquivoInvalido);
        EXPECT_TRUE(w->cdsProposta.controlsDisabled());
        EXPECT_TRUE(w->cdsLote.controlsDisabled());
        EXPECT_EQ(QApplication::focusWidget(), w->edtValidade);

        Dialogs refusals;
        w->bbtSalvarClick();
        w->bbtImprimirClick();
        ASSERT_EQ(refusals.shown.size(), 2u);
        for (const Seen& s : refusals.shown) {
            EXPECT_TRUE(s.systemBox);
            EXPECT_EQ(s.title, QStringLiteral("Ofertix"));
            EXPECT_EQ(s.text, invalidFormat);
        }
        if (!c.bytes.empty()) {
            EXPECT_EQ(test::readFile(p), c.bytes);
        }
        EXPECT_EQ(namesIn(dir.path()).size(), c.bytes.empty() ? 0u : 1u);
    }
}

// --- saving: checks and questions --------------------------------------------------------------

// A participant that types its own data must give name, type and document; the refusal puts
// the focus where the user must act and leaves the file untouched.
TEST_F(Arquivo, UnregisteredParticipantMustIdentifyItself)
{
    struct Case {
        const char* name;
        int typeIndex;  // -1: no type
        const char* document;
        const char* message;
        QWidget* (*focus)(TFLancamentoProposta&);
    };
    const Case cases[] = {
        {"   ", 1, "11222333000181", "O nome (social) do fornecedor deve ser informado!",
         [](TFLancamentoProposta& w) -> QWidget* { return w.edtNmFornecedor; }},
        {"ACME", -1, "11222333000181", "O tipo do documento (CPF ou CNPJ) do fornecedor deve ser informado!",
         [](TFLancamentoProposta& w) -> QWidget* { return w.edtTipoDocumento; }},
        {"ACME", 1, "00000000000000", "O documento (CPF ou CNPJ) do fornecedor deve ser informado!",
         [](TFLancamentoProposta& w) -> QWidget* { return w.edtCpfCnpj; }},
        {"ACME", 0, "cpf00000000000", "O documento (CPF ou CNPJ) do fornecedor deve ser informado!",
         [](TFLancamentoProposta& w) -> QWidget* { return w.edtCpfCnpj; }},
    };
    Participant p;
    p.code = "00000000";
    p.document = "00000000000000";
    const std::string bytes = proposalFile(p);
    const fs::path path = write("proposta_00000000000000.TXT", bytes);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message);
        {
            Dialogs loading;
            open(path);
        }
        w->edtNmFornecedor->setText(QString::fromUtf8(c.name));
        w->edtTipoDocumento->setCurrentIndex(c.typeIndex);
        proposal::processVariables().vCpfCnpj = c.document;
        w->mmObs->setFocus();
        Dialogs dialogs;
        w->bbtSalvarClick();
        ASSERT_EQ(dialogs.shown.size(), 1u);
        EXPECT_EQ(dialogs.shown[0].kind, MsgKind::Warning);
        EXPECT_EQ(dialogs.shown[0].text, QString::fromUtf8(c.message));
        EXPECT_EQ(QApplication::focusWidget(), c.focus(*w));
        EXPECT_EQ(test::readFile(path), bytes);
    }

    // A registered participant is not asked about its identification, even without a name.
    Participant registered;
    registered.name = "";
    const fs::path other = write("registrado.TXT", proposalFile(registered));
    {
        Dialogs loading;
        open(other);
    }
    Dialogs dialogs;
    w->bbtSalvarClick();
    EXPECT_EQ(dialogs.texts(), QStringList{exported});
}

// A No to any question stops with the file untouched and the window as it was.
TEST_F(Arquivo, NoToAQuestionStops)
{
    Participant p;
    p.validity = "00/00/0000";
    const std::string unpriced = itemLine("1", "", "0,0000");
    const std::string bytes = proposalFile(p, lotLine("1", "1") + unpriced + lotLine("2", "1") + itemLine("3"));
    const fs::path path = write("p.TXT", bytes);
    const QString questions[] = {noValidity, noDeadline, noValue, noDiscount};
    for (int which = 0; which < 4; ++which) {
        SCOPED_TRACE(which);
        {
            Dialogs loading;
            open(path);
        }
        w->btnUltimoClick();
        Dialogs dialogs([which](const Seen&, int index) { return noAt(which, index); });
        w->bbtSalvarClick();
        ASSERT_EQ(dialogs.shown.size(), static_cast<std::size_t>(which + 1));
        EXPECT_EQ(dialogs.shown.back().text, questions[which]);
        EXPECT_EQ(test::readFile(path), bytes);
        EXPECT_EQ(w->dbtNumLote->text(), QStringLiteral("2"));  // nothing moved
        EXPECT_TRUE(w->bbtSalvar->isEnabled());
    }
}

// A date typed short is saved in full; a typed text that is no date stops saving and printing
// with a warning on its field, the file untouched. A date read from the file that the supplier
// does not touch goes back as it came, whatever its form, and is never cut.
TEST_F(Arquivo, DatesAreWrittenInFullOrNotAtAll)
{
    const auto typeInto = [](QLineEdit* field, const char* text) {
        QTest::mouseClick(field, Qt::LeftButton);
        QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(field, QString::fromLatin1(text));
    };
    const std::string bytes = proposalFile();
    const fs::path path = write("p.TXT", bytes);
    {
        Dialogs loading;
        open(path);
    }
    typeInto(w->edtValidade, "31122026");  // still in the field: not yet completed
    typeInto(w->edtProposta, "15/1/27");
    {
        Dialogs dialogs;
        QTest::mouseClick(w->bbtSalvar, Qt::LeftButton);
        EXPECT_EQ(dialogs.texts(), QStringList{exported});
    }
    auto saved = reload(path);
    EXPECT_EQ(saved->vars.vDtValidade, "31/12/2026");
    EXPECT_EQ(saved->vars.vDtPrazo, "15/01/2027");

    const std::string good = test::readFile(path);
    const QString badDeadline =
        QStringLiteral("O prazo de entrega/execução não é uma data válida.\nInforme-o como DD/MM/AAAA.");
    typeInto(w->edtProposta, "31/02/2026");
    for (QWidget* button : std::initializer_list<QWidget*>{w->bbtSalvar, w->bbtImprimir}) {
        Dialogs dialogs;
        QTest::mouseClick(button, Qt::LeftButton);
        ASSERT_EQ(dialogs.shown.size(), 1u);  // no question, no preview
        EXPECT_EQ(dialogs.shown[0].text, badDeadline);
        EXPECT_EQ(dialogs.shown[0].kind, MsgKind::Warning);
        EXPECT_EQ(QApplication::focusWidget(), w->edtProposta);
        EXPECT_EQ(w->edtProposta->text(), QStringLiteral("31/02/2026"));
        EXPECT_EQ(test::readFile(path), good);
    }

    for (const char* loaded : {"2025-06-30", " 30/06/2025", "31/02/2026"}) {
        SCOPED_TRACE(loaded);
        Participant p;
        p.validity = loaded;
        p.deadline = loaded;
        const fs::path other = write("q.TXT", proposalFile(p));
        {
            Dialogs loading;
            open(other);
        }
        EXPECT_EQ(w->edtValidade->text(), QString::fromLatin1(loaded));
        Dialogs dialogs;
        QTest::mouseClick(w->bbtSalvar, Qt::LeftButton);
        EXPECT_EQ(dialogs.texts(), QStringList{exported});
        auto back = reload(other);
        EXPECT_EQ(back->vars.vDtValidade, loaded);
        EXPECT_EQ(back->vars.vDtPrazo, loaded);
    }
}

// --- saving: writing ----------------------------------------------------------------------------

// The bar runs one step per item line written over all items; nothing of the window acts while
// the file is written; afterwards the first lot is shown with every command enabled.
TEST_F(Arquivo, WritingLocksTheWindowDrivesTheBarAndRestores)
{
    // An item read before any lot line belongs to no lot: counted, not written.
    const std::string body = itemLine("9") + standardBody() + lotLine("3") + itemLine("4") + itemLine("5");
    const fs::path path = write("p.TXT", proposalFile({}, body));
    {
        Dialogs loading;
        open(path);
    }
    w->btnUltimoClick();
    ASSERT_EQ(w->dbtNumLote->text(), QStringLiteral("3"));

    std::vector<int> steps;
    int maximum = -1;
    bool lockedWhileWriting = true;
    w->ajusteGravacao = [&](proposal::SaveOptions& o) {
        o.progress = [&, inner = o.progress](int written) {
            inner(written);
            steps.push_back(w->pgbStatus->value());
            maximum = w->pgbStatus->maximum();
            lockedWhileWriting = lockedWhileWriting && !w->bbtSalvar->isEnabled() && !w->edtValidade->isEnabled()
                                 && !w->mmObs->isEnabled() && !w->chkTimbrado->isEnabled();
            if (written == 1) {
                // A second save, a lot move and closing must all wait.
                QTest::keySequence(w.data(), QKeySequence(QStringLiteral("Ctrl+S")));
                QTest::keyClick(w.data(), Qt::Key_F5);
                QTest::keySequence(w.data(), QKeySequence(QStringLiteral("Ctrl+F4")));
                w->close();
            }
        };
    };
    Dialogs dialogs;
    w->bbtSalvarClick();
    ASSERT_FALSE(w.isNull());
    EXPECT_TRUE(w->isVisible());
    EXPECT_EQ(dialogs.texts(), QStringList{exported});
    EXPECT_EQ(steps, (std::vector<int>{1, 2, 3, 4, 5}));
    EXPECT_EQ(maximum, 6);
    EXPECT_TRUE(lockedWhileWriting);
    expectRestored();
    EXPECT_EQ(proposal::processVariables().vNoLote, "00003");

    auto saved = reload(path);
    data::MemTable all;
    all.cloneCursor(saved->items);
    all.open();
    EXPECT_EQ(all.recordCount(), 5);
    EXPECT_EQ(saved->lots.recordCount(), 3);
}

// The window's side of the rename (the rules are the open proposal's, tested there): the success
// message says when the name was kept, a second save writes where the proposal now is, and the
// PDF is offered under the new name.
TEST_F(Arquivo, RenameAfterTheDocument)
{
    struct Case {
        const char* what;
        const char* file;
        const char* document;
        const char* savedAs;
        bool nameKept = false;  // the document cannot form a name: the success message says so
    };
    const Case cases[] = {
        {"CNPJ", "proposta_00000000000000.TXT", "11222333000181", "proposta_11222333000181.TXT"},
        {"document climbing out", "proposta_00000000000000.TXT", "../../../x1234", "proposta_00000000000000.TXT", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        fs::remove_all(dir.path() / "00000000000000");
        for (const auto& name : namesIn(dir.path()))
            fs::remove(dir.file(name));
        Participant p;
        p.document = c.document;
        const fs::path path = write(c.file, proposalFile(p));
        const std::string loadedAs = text::utf8ToCp1252(path.string());
        {
            Dialogs loading;
            open(path);
        }
        Dialogs dialogs;
        QTest::mouseClick(w->bbtSalvar, Qt::LeftButton);
        const QString success = c.nameKept ? exported + QStringLiteral("\rO nome do arquivo foi mantido: o documento do "
                                                                       "fornecedor (\"%1\") não tem a forma de um CNPJ "
                                                                       "ou CPF e não pode entrar no nome.")
                                                          .arg(QString::fromLatin1(c.document))
                                           : exported;
        EXPECT_EQ(dialogs.texts(), QStringList{success});
        EXPECT_EQ(forms::vCaminhoArquivo, loadedAs);
        const fs::path savedAs = dir.file(c.savedAs);
        EXPECT_EQ(namesIn(savedAs.parent_path()), std::set<std::string>{savedAs.filename().string()});
        EXPECT_EQ(reload(savedAs)->vars.vCpfCnpj, c.document);

        // A second save writes where the proposal now is, and nowhere else.
        changeItem(3, "DS_MARCA", std::string("Segunda"));
        Dialogs again;
        QTest::mouseClick(w->bbtSalvar, Qt::LeftButton);
        EXPECT_EQ(again.texts(), QStringList{success});
        EXPECT_EQ(namesIn(savedAs.parent_path()), std::set<std::string>{savedAs.filename().string()});
        EXPECT_EQ(reload(savedAs)->brandOf(3), "Segunda");

        // Printing offers the PDF beside the proposal, under its current name.
        Dialogs preview;
        QTest::mouseClick(w->bbtImprimir, Qt::LeftButton);
        ASSERT_EQ(preview.shown.size(), 1u);
        fs::path pdf = savedAs;
        EXPECT_EQ(preview.shown[0].pdfPath, QString::fromStdString(pdf.replace_extension(".pdf").string()));
    }
}

// A file of the new name already there is replaced only when the user says so; otherwise the
// proposal stays saved under its current name.
TEST_F(Arquivo, RenameOntoAnExistingFileAsksFirst)
{
    for (const bool replace : {false, true}) {
        SCOPED_TRACE(replace);
        for (const auto& name : namesIn(dir.path()))
            fs::remove(dir.file(name));
        const fs::path existing = write("proposta_11222333000181.TXT", "OUTRO ARQUIVO");
        const fs::path path = write("proposta_00000000000000.TXT", proposalFile());
        {
            Dialogs loading;
            open(path);
        }
        changeItem(1, "DS_MARCA", std::string("Nova"));
        Dialogs dialogs([replace](const Seen& s, int) {
            return s.kind == MsgKind::Confirmation && !replace ? MsgButton::No : MsgButton::None;
        });
        w->bbtSalvarClick();
        ASSERT_EQ(dialogs.shown.size(), 2u);
        EXPECT_EQ(dialogs.shown[0].kind, MsgKind::Confirmation);
        EXPECT_TRUE(dialogs.shown[0].text.contains(QStringLiteral("proposta_11222333000181.TXT")));
        EXPECT_TRUE(dialogs.endedWithSuccess());
        if (replace) {
            EXPECT_EQ(namesIn(dir.path()), std::set<std::string>{"proposta_11222333000181.TXT"});
            EXPECT_EQ(reload(existing)->brandOf(1), "Nova");
        } else {
            EXPECT_EQ(namesIn(dir.path()),
                      (std::set<std::string>{"proposta_00000000000000.TXT", "proposta_11222333000181.TXT"}));
            EXPECT_EQ(test::readFile(existing), "OUTRO ARQUIVO");
            EXPECT_EQ(reload(path)->brandOf(1), "Nova");
        }
        expectRestored();
    }
}

// --- saving: failures ---------------------------------------------------------------------------

// Sink that takes a few bytes and then refuses, as a full disk does.
class FailingSink : public proposal::ByteSink {
public:
    FailingSink(proposal::ByteSink& file, std::size_t allowed) : file_(file), left_(allowed) {}
    bool write(std::string_view bytes) override
    {
        if (bytes.size() > left_) {
            file_.write(bytes.substr(0, left_));
            left_ = 0;
            return false;
        }
        left_ -= bytes.size();
        return file_.write(bytes);
    }

private:
    proposal::ByteSink& file_;
    std::size_t left_;
};

// Whatever stops the write, the file stays byte for byte, no temporary file is left, the user
// is told the proposal was not saved and why, and the window can save again once it is fixed.
TEST_F(Arquivo, FailedWriteKeepsTheFileAndTheWindow)
{
    struct Case {
        const char* what;
        std::string body;
        std::function<void(Arquivo&)> breakIt;
        std::function<void(Arquivo&)> fixIt;
        const char* reason;  // a piece of the message
        bool itemAtFault = false;  // the item (3, in lot 2) is shown afterwards, not the first lot
    };
    const Case cases[] = {
        {"write fails part-way", standardBody(),
         [](Arquivo& t) {
             t.w->ajusteGravacao = [](proposal::SaveOptions& o) {
                 o.wrapSink = [](proposal::ByteSink& file) { return std::make_unique<FailingSink>(file, 700); };
             };
         },
         [](Arquivo& t) { t.w->ajusteGravacao = {}; }, "gravação foi interrompida"},
        {"quantity that does not convert", standardBody(),
         [](Arquivo& t) { t.changeItem(3, "QT_ITEM", std::string("1,5 kg")); },
         [](Arquivo& t) { t.changeItem(3, "QT_ITEM", std::string("1,5")); }, "item 3 do lote 2", true},
        {"value the file cannot hold", standardBody(),
         [](Arquivo& t) { t.changeItem(3, "VL_UNITARIO", 1e15); },
         [](Arquivo& t) { t.changeItem(3, "VL_UNITARIO", 3.0); }, "item 3 do lote 2", true},
        {"lot without a number", standardBody() + lotLine("") + itemLine("7"), [](Arquivo&) {},
         [](Arquivo& t) {
             t.w->cdsProposta.last();
             t.w->cdsProposta.edit();
             t.w->cdsProposta.setValue("NO_LOTE", 3);
             t.w->cdsProposta.post();
         },
         "não tem número"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        for (const auto& name : namesIn(dir.path()))
            fs::remove(dir.file(name));
        const std::string bytes = proposalFile({}, c.body);
        const fs::path path = write("proposta_00000000000000.TXT", bytes);
        {
            Dialogs loading;
            open(path);
        }
        changeItem(1, "DS_MARCA", std::string("Nova"));
        c.breakIt(*this);
        {
            Dialogs dialogs;
            QTest::mouseClick(w->bbtSalvar, Qt::LeftButton);
            QCoreApplication::processEvents();
            // Showing the item's lot may also show the lot's own error (a quantity that is no
            // number), once the save's message is answered.
            ASSERT_EQ(dialogs.shown.size(), c.itemAtFault && std::string(c.what).starts_with("quantity") ? 2u : 1u);
            EXPECT_EQ(dialogs.shown[0].kind, MsgKind::Error);
            EXPECT_TRUE(dialogs.shown[0].text.startsWith(QStringLiteral("A proposta NÃO foi salva.")))
                << dialogs.shown[0].text.toStdString();
            EXPECT_TRUE(dialogs.shown[0].text.contains(QString::fromUtf8(c.reason), Qt::CaseInsensitive))
                << dialogs.shown[0].text.toStdString();
        }
        EXPECT_EQ(test::readFile(path), bytes);
        EXPECT_EQ(namesIn(dir.path()), std::set<std::string>{"proposta_00000000000000.TXT"});
        if (c.itemAtFault) {
            EXPECT_EQ(w->dbtNumLote->text(), QStringLiteral("2"));
            EXPECT_EQ(w->cdsLote.asInteger(proposal::field::CD_ITEM), 3);
        } else {
            expectRestored();
        }

        c.fixIt(*this);
        QCoreApplication::processEvents();  // the shown lot is re-read, its totals recomputed
        Dialogs again;
        w->bbtSalvarClick();
        EXPECT_TRUE(again.endedWithSuccess()) << again.texts().join(QLatin1Char('|')).toStdString();
        EXPECT_EQ(namesIn(dir.path()), std::set<std::string>{"proposta_11222333000181.TXT"});
        EXPECT_EQ(reload(dir.file("proposta_11222333000181.TXT"))->brandOf(1), "Nova");
    }
}

// A folder the user may not write into. Holding a file the user may not write either, saving
// is refused and nothing changes on disk; once the file is writable, the same window saves into
// it in place (the folder takes no temporary file). Permissions do not stop the superuser: run as
// root, the test runs again as the user "nobody" (see ranAsUnprivileged).
TEST_F(Arquivo, ReadOnlyFolderKeepsTheFile)
{
    if (test::ranAsUnprivileged())
        return;

    const std::string bytes = proposalFile();
    const fs::path path = write("proposta.TXT", bytes);
    {
        Dialogs loading;
        open(path);
    }
    changeItem(1, "DS_MARCA", std::string("Nova"));

    constexpr fs::perms readOnly = fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read;
    fs::permissions(path, readOnly);
    fs::permissions(dir.path(), readOnly | fs::perms::owner_exec | fs::perms::group_exec | fs::perms::others_exec);
    {
        Dialogs dialogs;
        w->bbtSalvarClick();
        ASSERT_EQ(dialogs.shown.size(), 1u);
        EXPECT_EQ(dialogs.shown[0].kind, MsgKind::Error);
        EXPECT_TRUE(dialogs.shown[0].text.startsWith(QStringLiteral("A proposta NÃO foi salva.")));
        EXPECT_TRUE(dialogs.shown[0].text.contains(QStringLiteral("protegido contra gravação")))
            << dialogs.shown[0].text.toStdString();
    }
    EXPECT_EQ(test::readFile(path), bytes);
    EXPECT_EQ(namesIn(dir.path()), std::set<std::string>{"proposta.TXT"});
    expectRestored();

    fs::permissions(path, fs::perms::owner_write, fs::perm_options::add);
    Dialogs again;
    w->bbtSalvarClick();
    EXPECT_TRUE(again.endedWithSuccess()) << again.texts().join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(namesIn(dir.path()), std::set<std::string>{"proposta.TXT"});
    EXPECT_EQ(fs::status(path).permissions(), readOnly | fs::perms::owner_write);
    EXPECT_EQ(reload(path)->brandOf(1), "Nova");
}

// --- the typical run --------------------------------------------------------------------------

// Types text as the keyboard does, accented letters included.
void typeText(QWidget* target, const QString& text)
{
    for (const QChar ch : text) {
        if (ch.unicode() < 128) {
            QTest::keyClick(target, ch.toLatin1());
        } else {
            QTest::sendKeyEvent(QTest::Press, target, Qt::Key_unknown, QString(ch), Qt::NoModifier);
            QTest::sendKeyEvent(QTest::Release, target, Qt::Key_unknown, QString(ch), Qt::NoModifier);
        }
    }
}

QLineEdit* openCellEditor(grid::DataGrid& g)
{
    QTest::keyClick(g.view(), Qt::Key_F2);
    for (QLineEdit* e : g.view()->viewport()->findChildren<QLineEdit*>())
        if (!e->isHidden())
            return e;
    return nullptr;
}

// The supplier opens the file handed out with fourteen zeros in its name, types its
// identification, brands and unit values in two lots, and saves: the file takes the CNPJ's name
// and the command-line tool reads back every value entered.
TEST_F(Arquivo, TypicalRun)
{
    Participant p;
    p.code = "00000000";
    p.name = "";
    p.document = "00000000000000";
    p.validity = "00/00/0000";
    p.deadline = "00/00/0000";
    p.observations = "";
    p.address = {};
    const std::string body = lotLine("1") + itemLine("1", "", "0,0000") + itemLine("2", "", "0,0000") + lotLine("2")
                             + itemLine("3", "", "0,0000");
    const fs::path path = write("proposta_00000000000000.TXT", proposalFile(p, body));
    {
        Dialogs loading;
        open(path);
    }
    ASSERT_EQ(QApplication::focusWidget(), w->edtNmFornecedor);

    const auto type = [&](QWidget* field, const QString& text) {
        field->setFocus();
        typeText(field, text);
    };
    type(w->edtNmFornecedor, QStringLiteral("Papelaria Exemplo Ltda"));
    w->edtTipoDocumento->setFocus();
    w->edtTipoDocumento->setCurrentIndex(w->edtTipoDocumento->findText(QStringLiteral("CNPJ")));
    type(w->edtCpfCnpj, QStringLiteral("11222333000181"));
    type(w->edtEndereco, QStringLiteral("Rua São João"));
    type(w->edtNumero, QStringLiteral("123"));
    type(w->edtCEP, QStringLiteral("88010000"));
    type(w->edtBairro, QStringLiteral("Centro"));
    type(w->edtCidade, QStringLiteral("Florianópolis"));
    w->edtUF->setFocus();
    w->edtUF->setCurrentIndex(w->edtUF->findText(QStringLiteral("SC")));
    type(w->edtValidade, QStringLiteral("30/06/2025"));
    type(w->edtProposta, QStringLiteral("15/07/2025"));
    type(w->mmObs, QStringLiteral("Frete incluso"));

    grid::DataGrid& g = *w->dbgItensDados;
    const int brand = column("dbgItensDadosColumn7");
    const int unit = column("dbgItensDadosColumn4");
    const auto price = [&](int row, const QString& brandText, const QString& value) {
        g.setCurrentCell(row, brand);
        QLineEdit* editor = openCellEditor(g);
        ASSERT_NE(editor, nullptr);
        typeText(editor, brandText);
        QTest::keyClick(editor, Qt::Key_Return);
        g.setCurrentCell(row, unit);
        editor = openCellEditor(g);
        ASSERT_NE(editor, nullptr);
        typeText(editor, value);
        QTest::keyClick(editor, Qt::Key_Return);
    };
    price(0, QStringLiteral("Chamex"), QStringLiteral("2,5"));
    price(1, QStringLiteral("Bic"), QStringLiteral("1,25"));
    QTest::keyClick(w.data(), Qt::Key_F7);
    ASSERT_EQ(w->dbtNumLote->text(), QStringLiteral("2"));
    price(0, QStringLiteral("Ypê"), QStringLiteral("3"));

    Dialogs dialogs;
    QTest::keySequence(w.data(), QKeySequence(QStringLiteral("Ctrl+S")));
    EXPECT_EQ(dialogs.texts(), QStringList{exported});
    const fs::path saved = dir.file("proposta_11222333000181.TXT");
    EXPECT_EQ(namesIn(dir.path()), std::set<std::string>{saved.filename().string()});
    expectRestored();

    QProcess tool;
    tool.start(QStringLiteral(OFX_TOOL_PATH),
               {QStringLiteral("verificar"), QStringLiteral("--json"), QString::fromStdString(saved.string())});
    ASSERT_TRUE(tool.waitForFinished(60000));
    ASSERT_EQ(tool.exitCode(), 0) << tool.readAllStandardError().toStdString();
    const QJsonObject json = QJsonDocument::fromJson(tool.readAllStandardOutput()).object();
    const QJsonObject vars = json[QStringLiteral("variaveis")].toObject();
    const std::pair<const char*, const char*> expected[] = {
        {"vNmFornecedor", "Papelaria Exemplo Ltda"}, {"vCpfCnpj", "11222333000181"},
        {"vTipoDocumento", "CNPJ"},                 {"vEndereco", "Rua São João"},
        {"vNumero", "0000000123"},  // zero-filled
        {"vCEP", "88.010-000"},
        {"vBairro", "Centro"},                      {"vCidade", "Florianópolis"},
        {"vUF", "SC"},                              {"vDtValidade", "30/06/2025"},
        {"vDtPrazo", "15/07/2025"},                 {"mmObs", "Frete incluso"},
    };
    for (const auto& [name, value] : expected)
        EXPECT_EQ(vars[QLatin1String(name)].toString().trimmed(), QString::fromUtf8(value)) << name;
    struct ItemValues {
        int code;
        const char* brand;
        double unit;
        double total;
    };
    const ItemValues items[] = {{1, "Chamex", 2.5, 25.0}, {2, "Bic", 1.25, 12.5}, {3, "Ypê", 3.0, 30.0}};
    const QJsonArray rows = json[QStringLiteral("itens")].toArray();
    ASSERT_EQ(rows.size(), 3);
    for (int i = 0; i < 3; ++i) {
        const QJsonObject row = rows[i].toObject();
        EXPECT_EQ(row[QStringLiteral("CD_ITEM")].toInt(), items[i].code);
        EXPECT_EQ(row[QStringLiteral("DS_MARCA")].toString().trimmed(), QString::fromUtf8(items[i].brand));
        EXPECT_DOUBLE_EQ(row[QStringLiteral("VL_UNITARIO")].toDouble(), items[i].unit);
        EXPECT_DOUBLE_EQ(row[QStringLiteral("VL_TOTAL")].toDouble(), items[i].total);
    }
}

// A save refused for an item shows that item: its lot, the item current, the focus on the cell
// to correct (on its row when that cell cannot be typed in).
TEST_F(Arquivo, ASaveRefusedForAnItemShowsTheItem)
{
    struct Case {
        const char* what;
        std::string item;  // the third item, in lot 2
        const char* column;
    };
    const Case cases[] = {
        {"unit value too large", itemLine("3", "10000000000000,0000"), "dbgItensDadosColumn4"},
        {"quantity that is no number",
         line({"A", "3", "Item 3", "caixa", "2,5000", "25,0000", "UN", "Marca", "0,0000", "0,0000", "3"}),
         "dbgItensDadosColumn11"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string body = lotLine("1") + itemLine("1") + itemLine("2") + lotLine("2") + itemLine("4") + c.item;
        const fs::path path = write("p.TXT", proposalFile({}, body));
        {
            Dialogs loading;
            open(path);
        }
        Dialogs dialogs;
        QTest::mouseClick(w->bbtSalvar, Qt::LeftButton);
        QCoreApplication::processEvents();
        ASSERT_FALSE(dialogs.shown.empty());
        EXPECT_TRUE(dialogs.shown[0].text.startsWith(QStringLiteral("A proposta NÃO foi salva.")));
        EXPECT_EQ(w->dbtNumLote->text(), QStringLiteral("2"));
        grid::DataGrid& g = *w->dbgItensDados;
        EXPECT_EQ(w->cdsLote.asInteger(proposal::field::CD_ITEM), 3);
        EXPECT_EQ(g.currentColumn(), column(c.column));
        EXPECT_TRUE(g.view()->hasFocus());
    }
}

// --- closing ----------------------------------------------------------------------------------

// Closing after a change asks first (No, the default, keeps the window open); unchanged, just
// saved, or a file that failed to load: the window closes at once.
TEST_F(Arquivo, ClosingAfterChangesAsksFirst)
{
    const QString question = QStringLiteral("A proposta foi alterada e não foi salva. Deseja sair sem salvar?");
    enum class Change { None, Brand, Address, Observations, Saved, FailedLoad };
    enum class How { ClickSair, CtrlF4, TitleBar };
    const std::pair<Change, const char*> changes[] = {
        {Change::None, "nothing typed"}, {Change::Brand, "a brand typed"}, {Change::Address, "the address typed"},
        {Change::Observations, "observations typed"}, {Change::Saved, "typed and saved"},
        {Change::FailedLoad, "a file that failed to load"}};
    const std::pair<How, const char*> hows[] = {
        {How::ClickSair, "click on Sair"}, {How::CtrlF4, "Ctrl+F4"}, {How::TitleBar, "title bar"}};
    Participant p;
    p.code = "00000000";
    for (const auto& [change, changeName] : changes) {
        for (const auto& [how, howName] : hows) {
            SCOPED_TRACE(std::string(changeName) + ", " + howName);
            const fs::path path = write("p.TXT", change == Change::FailedLoad
                                                     ? proposalFile(p, lotLine("1", "0", "20A5") + itemLine("1"))
                                                     : proposalFile(p));
            {
                Dialogs loading;
                open(path);
            }
            switch (change) {
            case Change::Brand:
            case Change::Saved: {
                grid::DataGrid& g = *w->dbgItensDados;
                const QModelIndex i = g.proxy()->mapFromSource(g.model()->index(0, column("dbgItensDadosColumn7")));
                QTest::mouseClick(g.view()->viewport(), Qt::LeftButton, {}, g.view()->visualRect(i).center());
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_X);
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
                if (change == Change::Saved) {
                    Dialogs saving;
                    QTest::keyClick(QApplication::focusWidget(), Qt::Key_S, Qt::ControlModifier);
                    ASSERT_TRUE(saving.endedWithSuccess());
                }
                break;
            }
            case Change::Address:
                QTest::mouseClick(w->edtEndereco, Qt::LeftButton);
                QTest::keyClicks(w->edtEndereco, QStringLiteral(", 2º andar"));
                break;
            case Change::Observations:
                QTest::mouseClick(w->mmObs->viewport(), Qt::LeftButton);
                QTest::keyClicks(w->mmObs, QStringLiteral("Frete"));
                break;
            case Change::None:
            case Change::FailedLoad:
                break;
            }
            const bool asks = change == Change::Brand || change == Change::Address || change == Change::Observations;
            const auto closeIt = [&, how = how] {
                switch (how) {
                case How::ClickSair: QTest::mouseClick(w->bbtSair, Qt::LeftButton); break;
                case How::CtrlF4: QTest::keyClick(QApplication::focusWidget(), Qt::Key_F4, Qt::ControlModifier); break;
                case How::TitleBar: w->close(); break;
                }
            };
            if (asks) {
                Dialogs no([](const Seen&, int) { return MsgButton::No; });
                closeIt();
                EXPECT_EQ(no.texts(), QStringList{question});
                ASSERT_TRUE(w && w->isVisible());
            }
            Dialogs yes;
            closeIt();
            EXPECT_EQ(yes.texts(), asks ? QStringList{question} : QStringList{});
            EXPECT_TRUE(!w || !w->isVisible());
            EXPECT_EQ(change == Change::Saved, test::readFile(path) != (change == Change::FailedLoad
                                                                            ? proposalFile(p, lotLine("1", "0", "20A5") + itemLine("1"))
                                                                            : proposalFile(p)));
            close();
        }
    }
}

// A second save in the same window, after the document was corrected, renames the file again:
// the corrected document takes the place of the one the first save put in the name.
TEST_F(Arquivo, ASecondSaveRenamesAfterACorrectedDocument)
{
    Participant p;
    p.code = "00000000";
    p.document = "00000000000000";
    write("proposta_00000000000000.TXT", proposalFile(p));
    {
        Dialogs loading;
        open(dir.file("proposta_00000000000000.TXT"));
    }
    for (const char* document : {"11222333000181", "11444777000161"}) {
        SCOPED_TRACE(document);
        QTest::mouseClick(w->edtCpfCnpj, Qt::LeftButton);
        QTest::keyClick(w->edtCpfCnpj, Qt::Key_Home);
        QTest::keyClicks(w->edtCpfCnpj, QString::fromLatin1(document));
        Dialogs saving;
        QTest::mouseClick(w->bbtSalvar, Qt::LeftButton);
        EXPECT_TRUE(saving.endedWithSuccess());
        const std::string name = std::string("proposta_") + document + ".TXT";
        EXPECT_EQ(namesIn(dir.path()), std::set<std::string>{name});
        EXPECT_EQ(reload(dir.file(name))->vars.vCpfCnpj, document);
    }
}

// --- input still being typed when a command comes --------------------------------------------

// Whatever the supplier is typing when it clicks a command, presses its key, clicks another row or
// tabs on is handed over first, by the same commit as Enter: a valid value is stored and the
// command runs; a cell text that is no number is refused with the message, the value stays and
// the command does not run. A CNPJ typed and not yet left is stored by a click on a button.
TEST_F(Arquivo, PendingInputIsNeverLost)
{
    const QString hint = QStringLiteral("não é um valor válido. Use a vírgula para os centavos e o ponto só para os "
                                        "milhares, por exemplo: 1.234,56");
    enum class Pending { Brand, Price75, Price1250, Price123456, Cnpj };
    enum class End { ClickNext, F7, ClickSave, CtrlS, ClickPrint, ClickOtherRow, Tab };
    struct PendingCase {
        Pending what;
        const char* name;
        const char* typed;
        bool refused;  // a cell text that is no number
    };
    const PendingCase pendings[] = {
        {Pending::Brand, "open Marca", "Nova", false},
        {Pending::Price75, "Valor unitário 7,5", "7,5", false},
        {Pending::Price1250, "Valor unitário 12.50", "12.50", true},
        {Pending::Price123456, "Valor unitário 1234.56", "1234.56", true},
        {Pending::Cnpj, "CNPJ not yet left", "11222333000181", false},
    };
    const std::pair<End, const char*> ends[] = {
        {End::ClickNext, "click on Próximo lote"}, {End::F7, "F7"}, {End::ClickSave, "click on save"},
        {End::CtrlS, "Ctrl+S"}, {End::ClickPrint, "click on print"}, {End::ClickOtherRow, "click on another row"},
        {End::Tab, "Tab"}};

    Participant p;
    p.code = "00000000";
    p.document = "00000000000000";
    const std::string bytes = proposalFile(p);
    for (const PendingCase& pending : pendings) {
        for (const auto& [end, endName] : ends) {
            SCOPED_TRACE(std::string(pending.name) + ", then " + endName);
            const fs::path path = write("p.TXT", bytes);
            {
                Dialogs loading;
                open(path);
            }
            grid::DataGrid& g = *w->dbgItensDados;
            const auto cellCentre = [&](int row, const char* name) {
                const QModelIndex i = g.proxy()->mapFromSource(g.model()->index(row, column(name)));
                return g.view()->visualRect(i).center();
            };
            // The document is typed as the user does: click, type (and, but for the last case,
            // leave with Tab).
            QTest::mouseClick(w->edtCpfCnpj, Qt::LeftButton);
            QTest::keyClick(w->edtCpfCnpj, Qt::Key_Home);
            QTest::keyClicks(w->edtCpfCnpj, QStringLiteral("11222333000181"));
            const bool inGrid = pending.what != Pending::Cnpj;
            const char* cellName = pending.what == Pending::Brand ? "dbgItensDadosColumn7" : "dbgItensDadosColumn4";
            if (inGrid) {
                QTest::keyClick(w->edtCpfCnpj, Qt::Key_Tab);
                ASSERT_EQ(proposal::processVariables().vCpfCnpj, "11222333000181");
                QTest::mouseClick(g.view()->viewport(), Qt::LeftButton, {}, cellCentre(0, cellName));
                for (const char* c = pending.typed; *c; ++c)  // each key to where the focus is then
                    QTest::keyClick(QApplication::focusWidget(), *c);
                ASSERT_TRUE(g.isEditing());
            }
            const QPointer<QWidget> typing = QApplication::focusWidget();

            Dialogs dialogs;
            switch (end) {
            case End::ClickNext: QTest::mouseClick(w->btnProximo, Qt::LeftButton); break;
            case End::F7: QTest::keyClick(typing, Qt::Key_F7); break;
            case End::ClickSave: QTest::mouseClick(w->bbtSalvar, Qt::LeftButton); break;
            case End::CtrlS: QTest::keyClick(typing, Qt::Key_S, Qt::ControlModifier); break;
            case End::ClickPrint: QTest::mouseClick(w->bbtImprimir, Qt::LeftButton); break;
            case End::ClickOtherRow:
                QTest::mouseClick(g.view()->viewport(), Qt::LeftButton, {}, cellCentre(1, "dbgItensDadosColumn7"));
                break;
            case End::Tab: QTest::keyClick(typing, Qt::Key_Tab); break;
            }
            QCoreApplication::processEvents();  // a refusal is said once the click is over

            // What the table (or the document variable) holds now.
            data::MemTable all;
            all.cloneCursor(w->cdsLote);
            all.open();
            const std::string brand = all.asText(proposal::field::DS_MARCA);
            const double unit = all.asDecimal(proposal::field::VL_UNITARIO);
            const std::string stored = proposal::processVariables().vCpfCnpj;

            const bool commandRuns = !pending.refused;
            const bool navigates = end == End::ClickNext || end == End::F7;
            const bool saves = end == End::ClickSave || end == End::CtrlS;
            const bool prints = end == End::ClickPrint;
            QStringList expected;
            if (pending.refused)
                expected << QStringLiteral("\"%1\" %2").arg(QString::fromLatin1(pending.typed), hint);
            else if (saves)
                expected << exported;
            else if (prints)
                expected << QString();  // the preview
            EXPECT_EQ(dialogs.texts(), expected);
            EXPECT_TRUE(!g.isEditing() || (end == End::Tab && !pending.refused));  // Tab opens the next cell

            switch (pending.what) {
            case Pending::Brand: EXPECT_EQ(brand.substr(0, 4), "Nova"); break;
            case Pending::Price75: EXPECT_DOUBLE_EQ(unit, 7.5); break;
            case Pending::Price1250:
            case Pending::Price123456: EXPECT_DOUBLE_EQ(unit, 2.5); break;  // as it was
            case Pending::Cnpj:
                // F7 leaves the focus in the field: the document is stored when it is left.
                EXPECT_EQ(stored, end == End::F7 ? "00000000000000" : "11222333000181");
                break;
            }
            if (navigates) {
                EXPECT_EQ(w->dbtNumLote->text(), commandRuns ? QStringLiteral("2") : QStringLiteral("1"));
            }
            if (saves && commandRuns) {
                auto saved = reload(path);
                EXPECT_EQ(saved->vars.vCpfCnpj, "11222333000181");
                if (pending.what == Pending::Brand) {
                    EXPECT_EQ(saved->brandOf(1), "Nova");
                }
            } else {
                EXPECT_EQ(test::readFile(path), bytes);
            }
            if (pending.refused) {
                EXPECT_TRUE(g.view()->hasFocus());
            }
            close();
        }
    }
}

}  // namespace
