// The "PROPOSTA DE PREÇOS" report, built by the printing operation and read back from its PDF
// with poppler's pdftotext / pdfinfo / pdffonts, as a reader of the printed proposal sees it.
#include "data/memtable.h"
#include "proposal/processvariables.h"
#include "proposal/tables.h"
#include "report/printing.h"
#include "report/propostareport.h"
#include "reportengine/output.h"
#include "testsupport.h"
#include "text/cp1252.h"

#include <gtest/gtest.h>

#include <QRegularExpression>
#include <QString>

#include <cstdlib>
#include <optional>
#include <sstream>

namespace {

namespace fs = std::filesystem;
using namespace ofx;
using ofx::test::TempDir;

// A CP1252 text from UTF-8 source text.
std::string cp(std::string_view utf8) { return text::utf8ToCp1252(utf8); }

struct Item {
    int lote;
    int codigo;
    const char* descricao;  // UTF-8
    const char* quantidade;
    std::optional<double> unitario;
    std::optional<double> total;
    std::optional<double> desconto = std::nullopt;
    int lancamento = 0;
};

// The entry window's state as printing finds it.
struct Proposal {
    data::MemTable items, cursor;
    proposal::ProcessVariables vars;
    std::string ordem;
    report::PrintEntries entries;

    Proposal()
    {
        proposal::createItemsTable(items);
        proposal::declareReportCursorIndexes(cursor);
        vars.vCpfCnpjFormatado = "12.345.678/0001-95";
        vars.vNmFornecedor = cp("  Papelaria D'Ouro Ltda  ");
        vars.vCdFornecedor = "00012345";
        vars.vEndereco = cp("Rua D'Ouro");
        vars.vNumero = "0000000123";
        vars.vBairro = "Centro";
        vars.vCEP = "88000-000";
        vars.vCidade = cp("Florianópolis");
        vars.vUF = "SC";
        vars.vCriterio = cp("Menor Preço");
        vars.vAvaliacao = "por Item";
        vars.vLocalAbertura = cp("Sala de licitações");
        vars.vDtAbertura = "15/03/2024";
        vars.vHoraAbertura = "09:00";
        vars.vDtEntrega = "14/03/2024";
        vars.vHoraEntrega = "17:00";
        vars.vCondPagto = cp("30 dias após a entrega");
        vars.vObjeto = cp("Aquisição de material de expediente");
        vars.vTpModalidade = "Pregao";
        vars.vAnoLicitacao = "2024";
        vars.vNoLicitacao = "00012";
        vars.vUgEstado = "Estado de Santa Catarina";
        vars.vUgCidade = cp("Prefeitura Municipal de Florianópolis");
        vars.vUgCNPJ = "82.892.282/0001-43";
        entries.validade = "10/04/2024";
        entries.prazo = "20/04/2024";
        entries.observacoes = cp("  Entrega na sede.\r\nHorário comercial.  ");
    }

    void add(const Item& i)
    {
        items.append();
        items.setValue(proposal::field::TP_MODALIDADE, std::string("Pregao"));
        items.setValue(proposal::field::AA_LICITACAO, std::int32_t{2024});
        items.setValue(proposal::field::NO_LICITACAO, std::int32_t{12});
        items.setValue(proposal::field::NO_LOTE, std::int32_t{i.lote});
        items.setValue(proposal::field::DS_LOTE, cp(i.lote == 1 ? "MATERIAL DE ESCRITÓRIO" : "LIMPEZA"));
        items.setValue(proposal::field::CD_ITEM, std::int32_t{i.codigo});
        items.setValue(proposal::field::CD_LCTO, std::int32_t{i.lancamento ? i.lancamento : i.codigo});
        items.setValue(proposal::field::DS_ITEM, cp(i.descricao));
        items.setValue(proposal::field::QT_ITEM, std::string(i.quantidade));
        if (i.unitario)
            items.setValue(proposal::field::VL_UNITARIO, *i.unitario);
        if (i.total)
            items.setValue(proposal::field::VL_TOTAL, *i.total);
        items.setValue(proposal::field::UN_MEDIDA, std::string("UN"));
        items.setValue(proposal::field::DS_MARCA, std::string("Marca"));
        if (i.desconto)
            items.setValue(proposal::field::PERC_DESC, *i.desconto);
        items.post();
    }

    reportengine::Document print()
    {
        report::PropostaReport report(cursor);
        return report::preparePrint(report, vars, entries, ordem, items, cursor);
    }
};

struct Pdf {
    TempDir dir;
    fs::path file;

    explicit Pdf(const reportengine::Document& doc) : file(dir.file("proposta.pdf"))
    {
        const reportengine::OutputResult r = reportengine::writePdf(doc, QString::fromStdString(file.string()));
        EXPECT_TRUE(r.ok) << r.error.toStdString();
    }
    std::string run(const std::string& tool, const std::string& options = {}) const
    {
        const fs::path out = dir.file(tool + ".out");
        const std::string command =
            tool + " " + options + " '" + file.string() + "' " +
            (tool == "pdftotext" ? "'" + out.string() + "'" : "> '" + out.string() + "'") + " 2>/dev/null";
        EXPECT_EQ(std::system(command.c_str()), 0) << command;
        return ofx::test::readFile(out);
    }
    QString text() const { return QString::fromStdString(run("pdftotext", "-layout")); }
    QStringList pages() const { return text().split(u'\f', Qt::SkipEmptyParts); }

    // Words with their boxes in points from the page's top-left corner, page by page.
    struct Word {
        double xMin, yMin, xMax, yMax;
        QString text;
    };
    std::vector<std::vector<Word>> words() const
    {
        const QString html = QString::fromStdString(run("pdftotext", "-bbox"));
        static const QRegularExpression tag(QStringLiteral(
            R"re(<page |<word xMin="([\d.]+)" yMin="([\d.]+)" xMax="([\d.]+)" yMax="([\d.]+)">([^<]*)</word>)re"));
        std::vector<std::vector<Word>> out;
        for (auto it = tag.globalMatch(html); it.hasNext();) {
            const auto m = it.next();
            if (m.captured(0).startsWith(QLatin1String("<page")))
                out.emplace_back();
            else if (!out.empty())
                out.back().push_back({m.captured(1).toDouble(), m.captured(2).toDouble(),
                                      m.captured(3).toDouble(), m.captured(4).toDouble(),
                                      m.captured(5)});
        }
        return out;
    }
};

constexpr double kPtPerMm = 72.0 / 25.4;

// The values that follow caption in the layout text, in order.
QStringList valuesAfter(const QString& text, const QString& caption)
{
    QStringList out;
    const QRegularExpression re(QRegularExpression::escape(caption) + QStringLiteral(R"(\s+(\S+))"));
    for (auto it = re.globalMatch(text); it.hasNext();)
        out << it.next().captured(1);
    return out;
}

void twoLots(Proposal& p)
{
    p.add({1, 2, "Caneta esferográfica azul, corpo sextavado transparente, ponta média de 1,0 mm, "
                 "tinta à base de óleo, caixa com cinquenta unidades",
           "10,5", 2.5, 26.25});
    p.add({1, 1, "Lápis preto nº 2", "1.500,5", 0.75, 1125.375, 2.5});
    p.add({2, 3, "Borracha branca", "caixa", 1.0, std::nullopt});
    p.add({2, 10, "Água sanitária 1 litro", "20", 3.0, 60.0});
}

}  // namespace

TEST(ProposalReport, EveryBandPrintsItsTexts)
{
    Proposal p;
    twoLots(p);
    const Pdf pdf(p.print());
    const QString text = pdf.text().simplified();
    for (const char* expected : {
             "Estado de Santa Catarina", "Prefeitura Municipal de Florianópolis",
             "CNPJ: 82.892.282/0001-43",                       // page header
             "PROPOSTA DE PREÇOS", "Pregão 00012 / 2024",      // title, modality converted
             "Participante: 00012345 Papelaria D'Ouro Ltda",   // trimmed, apostrophe as typed
             "CNPJ / CPF: 12.345.678/0001-95", "Endereço: Rua D'Ouro Nº: 0000000123",
             "Bairro: Centro CEP: 88000-000", "Cidade: Florianópolis Estado: SC",
             "Tipo de licitação: Menor Preço Apuração: por Item",
             "Local de abertura: Sala de licitações Data: 15/03/2024 Hora: 09:00",
             "Prazo de entrega: 14/03/2024 Hora: 17:00",
             "Condição de pagamento: 30 dias após a entrega",
             "Objeto: Aquisição de material de expediente",
             "Lote: 1 - MATERIAL DE ESCRITÓRIO", "Lote: 2 - LIMPEZA",
             "Código Descrição Marca Unidade Quantidade Valor unit. R$ % Desc. Valor total R$",
             "1 Lápis preto nº 2 Marca UN 1.500,5000 0,7500 2,5 1.125,3750",
             "3 Borracha branca Marca UN caixa 1,0000 0,0000",  // no discount: nothing printed
             "Observações: Entrega na sede. Horário comercial.",
             "Validade: 10/04/2024", "Prazo de entrega: 20/04/2024",
             "Carimbo/Assinatura", "© Ofertix Sistemas", "Página: 1 de"})
        EXPECT_TRUE(text.contains(QString::fromUtf8(expected))) << expected << "\n" << text.toStdString();
    EXPECT_TRUE(pdf.text().contains(QStringLiteral("10,5000")));
    EXPECT_TRUE(pdf.text().contains(QString("_").repeated(34)));
}

TEST(ProposalReport, LotTotalsAndOneGrandTotal)
{
    Proposal p;
    twoLots(p);
    const QString text = Pdf(p.print()).text();
    // Lot 1: 26,25 + 1.125,375; lot 2: 60 (an empty total adds nothing).
    EXPECT_EQ(valuesAfter(text, "Total por lote: R$"), QStringList({"1.151,6250", "60,0000"}));
    EXPECT_EQ(valuesAfter(text, "Total geral: R$"), QStringList({"1.211,6250"}));
    EXPECT_LT(text.indexOf("60,0000\n"), text.indexOf("Total geral"));  // after the second lot's total
}

TEST(ProposalReport, ItemsOrderedLotFirstThenByTheChosenField)
{
    struct Case {
        std::string ordem;  // as the grid's header clicks leave it; empty: never clicked
        QStringList expected;
    } cases[] = {
        {"", {"Lápis", "Caneta", "Borracha", "Água"}},  // lot, then code
        {"NO_LOTE;DS_ITEM", {"Caneta", "Lápis", "Borracha", "Água"}},
        {"NO_LOTE;CD_LCTO", {"Caneta", "Lápis", "Água", "Borracha"}},
    };
    for (const Case& c : cases) {
        Proposal p;
        p.add({2, 10, "Água sanitária", "1", 1.0, 1.0, std::nullopt, 1});
        p.add({1, 2, "Caneta", "1", 1.0, 1.0, std::nullopt, 4});
        p.add({2, 3, "Borracha", "1", 1.0, 1.0, std::nullopt, 2});
        p.add({1, 1, "Lápis", "1", 1.0, 1.0, std::nullopt, 5});
        p.ordem = c.ordem;
        const QString text = Pdf(p.print()).text();
        QList<qsizetype> at;
        for (const QString& word : c.expected)
            at << text.indexOf(word);
        EXPECT_TRUE(std::is_sorted(at.begin(), at.end()) && at.front() >= 0) << c.ordem;
        if (c.ordem.empty()) {
            EXPECT_EQ(p.ordem, "NO_LOTE;CD_ITEM");  // the default stays
        }
    }
}

TEST(ProposalReport, LetterheadLeavesTheTopFifteenMillimetresToTheRule)
{
    for (bool timbrado : {true, false}) {
        Proposal p;
        for (int i = 1; i <= 60; ++i)  // two pages
            p.add({1 + i / 30, i, "Item de teste", "1", 1.0, 1.0});
        p.entries.timbrado = timbrado;
        const Pdf pdf(p.print());
        const auto pages = pdf.words();
        ASSERT_GE(pages.size(), 2u);
        for (const auto& words : pages) {
            int inLetterhead = 0;
            for (const Pdf::Word& w : words)
                if (w.yMin < (10 + 15) * kPtPerMm)
                    ++inLetterhead;
            if (timbrado) {
                EXPECT_EQ(inLetterhead, 0);
            } else {
                EXPECT_GT(inLetterhead, 5);  // state, city and CNPJ on every page
            }
        }
        EXPECT_EQ(pdf.text().contains("Estado de Santa Catarina"), !timbrado);
    }
}

TEST(ProposalReport, ThreePagesAreNumberedOutOfThree)
{
    Proposal p;
    for (int i = 1; i <= 65; ++i)
        p.add({1, i, "Item", "1", 1.0, 1.0});
    const QStringList pages = Pdf(p.print()).pages();
    ASSERT_EQ(pages.size(), 3);
    for (int i = 0; i < 3; ++i)
        EXPECT_TRUE(pages[i].contains(QStringLiteral("Página: %1 de 3").arg(i + 1))) << i;
}

TEST(ProposalReport, NoItemsGivesOnePageWithPageHeaderAndFooterOnly)
{
    Proposal p;
    const reportengine::Document doc = p.print();
    ASSERT_EQ(doc.pageCount(), 1);
    QStringList bands;
    for (const reportengine::PlacedBand& b : doc.page(0).bands)
        bands << b.band->name;
    EXPECT_EQ(bands, QStringList({"Cabecalho", "PageFooter1"}));
}

TEST(ProposalReport, PageIsA4LandscapeWithEmbeddedFonts)
{
    Proposal p;
    twoLots(p);
    const Pdf pdf(p.print());
    const std::string info = pdf.run("pdfinfo");
    const QRegularExpression size(QStringLiteral(R"(Page size:\s+([\d.]+) x ([\d.]+) pts \(A4\))"));
    const auto m = size.match(QString::fromStdString(info));
    ASSERT_TRUE(m.hasMatch()) << info;
    EXPECT_NEAR(m.captured(1).toDouble(), 297 * kPtPerMm, 1.0);  // landscape: 297 mm wide
    EXPECT_NEAR(m.captured(2).toDouble(), 210 * kPtPerMm, 1.0);
    const std::string fonts = pdf.run("pdffonts");
    int listed = 0;
    std::istringstream lines(fonts);
    for (std::string line; std::getline(lines, line);) {
        if (line.rfind("Liberation", 0) == 0 || line.rfind("Arial", 0) == 0) {
            ++listed;
            const QStringList columns = QString::fromStdString(line).split(u' ', Qt::SkipEmptyParts);
            ASSERT_GE(columns.size(), 5) << line;
            EXPECT_EQ(columns[columns.size() - 5], "yes") << line;  // the "emb" column
        }
    }
    EXPECT_EQ(listed, 2) << fonts;  // regular and bold
}

TEST(ProposalReport, WrappedDescriptionGrowsTheRowInThePdf)
{
    Proposal p;
    twoLots(p);
    const auto pages = Pdf(p.print()).words();
    ASSERT_FALSE(pages.empty());
    double caneta = -1, unidades = -1, valor = -1;
    for (const Pdf::Word& w : pages[0]) {
        if (w.text == "Caneta")
            caneta = w.yMin;
        if (w.text == "unidades")
            unidades = w.yMin;
        if (w.text == "26,2500")
            valor = w.yMin;
    }
    ASSERT_GT(caneta, 0);
    EXPECT_GT(unidades - caneta, 2 * 3.0 * kPtPerMm);  // third line of the description
    EXPECT_NEAR(valor, caneta, 0.6 * kPtPerMm);  // the other cells sit on the first line
}

// A justified description keeps clear of the brand beside it: its lines end more than a
// millimetre and a half before the "Marca" column's text starts.
TEST(ProposalReport, JustifiedDescriptionsKeepClearOfTheBrand)
{
    Proposal p;
    twoLots(p);
    const auto pages = Pdf(p.print()).words();
    ASSERT_FALSE(pages.empty());
    double marca = -1;
    for (const Pdf::Word& w : pages[0])
        if (w.text == "Marca" && marca < 0)
            marca = w.xMin;  // the column caption comes first
    ASSERT_GT(marca, 0);
    double descriptionEnd = 0;
    int words = 0;
    for (const Pdf::Word& w : pages[0])
        if (w.xMin > 20 * kPtPerMm && w.xMin < marca - 0.5 && w.yMin > 0) {
            descriptionEnd = std::max(descriptionEnd, w.xMax);
            ++words;
        }
    ASSERT_GT(words, 10);
    EXPECT_GE(marca - descriptionEnd, 1.4 * kPtPerMm) << (marca - descriptionEnd) / kPtPerMm << " mm";
}

TEST(ProposalReport, LongObservationsPushTheClosingBlockDownTogether)
{
    Proposal p;
    p.add({1, 1, "Item", "1", 1.0, 1.0});
    std::string obs;
    for (int i = 0; i < 40; ++i)
        obs += cp("Os produtos deverão ser entregues no almoxarifado central. ");
    p.entries.observacoes = obs;
    const reportengine::Document doc = p.print();
    const reportengine::Page& last = doc.page(doc.pageCount() - 1);
    auto object = [&](const char* name) -> QRectF {
        for (const reportengine::PlacedObject& o : last.objects)
            if (o.name() == name)
                return o.rect;
        ADD_FAILURE() << name;
        return {};
    };
    QRectF band, footer;
    for (const reportengine::PlacedBand& b : last.bands) {
        if (b.band->name == "GroupFooter1")
            band = b.rect;
        if (b.band->name == "PageFooter1")
            footer = b.rect;
    }
    const double growth = object("gObs").height() - 4.6;
    ASSERT_GT(growth, 10.0);
    EXPECT_NEAR(object("Memo43").top(), object("mmValidade").top(), 1e-9);  // label with value
    EXPECT_NEAR(object("Memo42").top(), object("mmEntrega").top(), 1e-9);
    EXPECT_NEAR(object("Memo22").top() - band.top(), 32.5 + growth, 1e-9);
    EXPECT_NEAR(band.height(), 40.5 + growth, 1e-9);  // the block grows instead of overflowing
    EXPECT_LE(band.bottom(), footer.top() + 1e-9);
}

TEST(PrintingOperation, LastingEffectsAndRepeatedPrints)
{
    Proposal p;
    twoLots(p);
    // The window shows lot 2 with its second item current and a price typed but not posted.
    p.items.setFilter(proposal::lotFilter("2"));
    p.items.setFiltered(true);
    p.items.last();
    p.items.edit();
    p.items.setValue(proposal::field::VL_TOTAL, 40.0);
    const std::string validade = "01/05/2024";
    p.entries.validade = validade;
    p.entries.prazo.clear();

    const QString first = Pdf(p.print()).text();
    EXPECT_EQ(p.vars.vDtValidade, validade);
    EXPECT_EQ(p.vars.vDtPrazo, "");
    EXPECT_EQ(p.vars.vTpModalidade, cp("Pregão"));  // stays converted
    EXPECT_EQ(p.items.state(), data::TableState::Browse);  // the typed value was posted
    EXPECT_EQ(p.items.recordCount(), 2);  // still lot 2 only, on the same row
    EXPECT_EQ(p.items.position(), 1);
    EXPECT_EQ(p.cursor.recordCount(), 4);  // the report read every lot
    EXPECT_EQ(valuesAfter(first, "Total geral: R$"), QStringList({"1.191,6250"}));
    EXPECT_TRUE(first.contains(QRegularExpression(R"(Prazo de entrega:\s*\n)")));  // empty date

    const QString second = Pdf(p.print()).text();
    EXPECT_EQ(second, first);
    EXPECT_TRUE(second.contains(QStringLiteral("Pregão 00012 / 2024")));
}

TEST(PrintingOperation, ModalityConversion)
{
    struct Case {
        const char* held;
        const char* printed;
    } cases[] = {
        {"Pregao", "Pregão"},
        {"  Pregao \t", "Pregão"},  // compared after trimming
        {"Concorrencia Publica", "Concorrência Pública"},
        {"Leilao", "Leilão"},
        {"Tomada de Preco", "Tomada de Preço"},
        {"PREGAO", "PREGAO"},  // letter case counts
        {"Pregão", "Pregão"},  // already accented
        {"Convite", "Convite"},
        {" Convite ", " Convite "},  // no match: left exactly as held
    };
    for (const Case& c : cases) {
        std::string v = cp(c.held);
        report::convertModality(v);
        EXPECT_EQ(v, cp(c.printed)) << c.held;
    }
}

TEST(PrintingOperation, VariablesAreTrimmedQuotedAndInOrder)
{
    proposal::ProcessVariables v;
    v.vCpfCnpjFormatado = "\t 12.345.678/0001-95 \r\n";
    v.vEndereco = cp(" Rua D'Ouro, 'A' ");
    v.vObjeto = "  dois  espacos  ";
    const auto vars = report::reportVariables(v, cp("Linha um Linha dois "), true);
    ASSERT_EQ(vars.size(), 30u);
    EXPECT_EQ(vars[0], std::pair(QString("gCnpj"), QString("'12.345.678/0001-95'")));
    EXPECT_EQ(vars[2], std::pair(QString("gRua"), QString("'Rua D''Ouro, ''A'''")));
    EXPECT_EQ(vars[14], std::pair(QString("gObjeto_2"), QString("'dois  espacos'")));
    EXPECT_EQ(vars[21].first, "gDsLote");
    EXPECT_EQ(vars[28], std::pair(QString("gObs"), QString("'Linha um Linha dois'")));
    EXPECT_EQ(vars[29], std::pair(QString("lStrTimbrado"), QString("'S'")));
    EXPECT_EQ(report::reportVariables(v, "", false)[29].second, "''");

    struct Lines {
        const char* typed;
        const char* joined;
    } lines[] = {
        {"um\r\ndois\r\ntres", "um dois tres"},
        {"um\r\n\r\ndois", "um  dois"},  // a blank line gives two spaces
        {"um\ndois", "um dois"},         // as a Qt editor hands the text
        {"sem quebra", "sem quebra"},
    };
    for (const Lines& l : lines)
        EXPECT_EQ(report::joinLines(l.typed), l.joined) << l.typed;
}

TEST(PrintingOperation, TheTemplateDeclaresItsVariablesAndObjects)
{
    const reportengine::ReportTemplate t = report::propostaTemplate();
    ASSERT_EQ(t.variables.size(), 31u);
    EXPECT_EQ(t.variables.front().name, "gCNPJ");
    EXPECT_EQ(t.variables.back().name, "lStrTimbrado");
    EXPECT_EQ(t.page.orientation, QPageLayout::Landscape);
    EXPECT_EQ(t.page.margins, QMarginsF(10, 10, 10, 10));
    EXPECT_EQ(t.datasetName, "fdsProposta");
    for (const char* name : {"gUgEstado", "gUgCidade", "gUgCNPJ", "Memo11", "Memo13", "Memo21", "gObs"})
        EXPECT_NE(t.findObject(QString::fromLatin1(name)), nullptr) << name;
}
