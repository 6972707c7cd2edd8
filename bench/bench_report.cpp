// The proposal report: building it (layout of every page) and writing its PDF, against a plain
// baseline that wraps the same descriptions with QTextLayout and draws the same rows with
// QPainter onto QPdfWriter, without bands, groups, totals or page furniture.
#include "qtbenchmain.h"
#include "data/memtable.h"
#include "proposal/processvariables.h"
#include "proposal/tables.h"
#include "report/printing.h"
#include "report/propostareport.h"
#include "reportengine/output.h"
#include "text/cp1252.h"
#include "text/numbers.h"

#include <benchmark/benchmark.h>

#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPdfWriter>
#include <QTextLayout>

#include <random>

namespace {

using namespace ofx;
namespace field = proposal::field;

// Items of realistic length and accents: a product, then 0 to 11 technical clauses, so
// that descriptions run from a few words to several wrapped lines.
void fillItems(data::MemTable& items, int count)
{
    static const char* products[] = {
        "Caneta esferográfica azul", "Papel sulfite A4 75 g/m²", "Água sanitária 1 litro",
        "Detergente neutro 500 ml", "Café torrado e moído", "Açúcar cristal",
        "Cadeira giratória com braços", "Lápis preto nº 2", "Grampeador de mesa",
        "Envelope pardo ofício", "Pasta suspensa marmorizada", "Sabão em pó",
        "Luva de látex para procedimento", "Máscara cirúrgica tripla", "Toner para impressora",
        "Álcool etílico hidratado 70%", "Copo descartável 200 ml", "Fita adesiva transparente"};
    static const char* clauses[] = {
        "corpo sextavado transparente", "embalagem com 500 unidades",
        "conforme especificação técnica do termo de referência", "cor branca",
        "validade mínima de doze meses a contar da data de entrega", "com certificado do INMETRO",
        "acondicionado em caixa de papelão resistente", "produto de primeira qualidade",
        "registro na ANVISA", "entrega parcelada conforme solicitação da secretaria",
        "garantia mínima de um ano", "fabricação nacional"};
    static const char* units[] = {"UN", "CX", "PCT", "KG", "LT", "RESMA"};

    std::mt19937 rng(42);
    auto pick = [&](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
    int lot = 1, leftInLot = 50 + pick(250);
    for (int i = 1; i <= count; ++i) {
        if (leftInLot-- == 0) {
            ++lot;
            leftInLot = 50 + pick(250);
        }
        std::string description = products[pick(std::size(products))];
        for (int c = pick(12); c > 0; --c)
            description += std::string(", ") + clauses[pick(std::size(clauses))];
        const double quantity = (1 + pick(2000)) / (pick(3) == 0 ? 2.0 : 1.0);
        const double unit = (1 + pick(100000)) / 100.0;
        items.append();
        items.setValue(field::TP_MODALIDADE, std::string("Pregao"));
        items.setValue(field::AA_LICITACAO, std::int32_t{2024});
        items.setValue(field::NO_LICITACAO, std::int32_t{12});
        items.setValue(field::NO_LOTE, std::int32_t{lot});
        items.setValue(field::DS_LOTE, text::utf8ToCp1252("LOTE DE MATERIAIS Nº " + std::to_string(lot)));
        items.setValue(field::CD_ITEM, std::int32_t{i});
        items.setValue(field::CD_LCTO, std::int32_t{i});
        items.setValue(field::DS_ITEM, text::utf8ToCp1252(description));
        items.setValue(field::QT_ITEM, num::formatPattern(quantity, "#,##0.##"));
        items.setValue(field::VL_UNITARIO, unit);
        items.setValue(field::VL_TOTAL, quantity * unit);
        items.setValue(field::UN_MEDIDA, std::string(units[pick(std::size(units))]));
        items.setValue(field::DS_MARCA, text::utf8ToCp1252("Marca Genérica"));
        items.post();
    }
}

struct Fixture {
    data::MemTable items, cursor;
    proposal::ProcessVariables vars;
    report::PrintEntries entries;
    report::PropostaReport report{cursor};
    QString pdf = QDir::temp().filePath(QStringLiteral("ofertix-bench-report.pdf"));

    explicit Fixture(int count)
    {
        proposal::createItemsTable(items);
        proposal::declareReportCursorIndexes(cursor);
        fillItems(items, count);
        vars.vNmFornecedor = text::utf8ToCp1252("Papelaria Estrela D'Ouro Ltda");
        vars.vUgEstado = "Estado de Santa Catarina";
        vars.vTpModalidade = "Pregao";
        entries.observacoes = text::utf8ToCp1252("Entrega em até dez dias.");
    }
    ~Fixture() { QFile::remove(pdf); }

    reportengine::Document build()
    {
        std::string ordem;
        return report::preparePrint(report, vars, entries, ordem, items, cursor);
    }
};

void BM_ReportBuildAndPdf(benchmark::State& state)
{
    Fixture f(static_cast<int>(state.range(0)));
    int pages = 0;
    for (auto _ : state) {
        const reportengine::Document doc = f.build();
        const reportengine::OutputResult r = reportengine::writePdf(doc, f.pdf);
        if (!r.ok)
            state.SkipWithError(r.error.toStdString().c_str());
        pages = doc.pageCount();
    }
    state.counters["pages"] = pages;
}

void BM_ReportBuildOnly(benchmark::State& state)
{
    Fixture f(static_cast<int>(state.range(0)));
    for (auto _ : state)
        benchmark::DoNotOptimize(f.build().pageCount());
}

// What the preview does before its first page shows: build, then paint page 1 at 100 %.
void BM_ReportFirstPageOnScreen(benchmark::State& state)
{
    Fixture f(static_cast<int>(state.range(0)));
    constexpr double pxPerMm = 96 / 25.4;
    for (auto _ : state) {
        const reportengine::Document doc = f.build();
        QImage image((doc.paperSizeMm() * pxPerMm).toSize(), QImage::Format_RGB32);
        image.fill(Qt::white);
        QPainter painter(&image);
        painter.scale(pxPerMm, pxPerMm);
        doc.paintPage(0, painter);
    }
}

// The plain baseline: the same rows, columns, wrapped descriptions and dotted rules.
void BM_BaselinePdf(benchmark::State& state)
{
    Fixture f(static_cast<int>(state.range(0)));
    data::MemTable& items = f.items;
    const int fDesc = items.fieldIndex(field::DS_ITEM), fCode = items.fieldIndex(field::CD_ITEM),
              fBrand = items.fieldIndex(field::DS_MARCA), fUnit = items.fieldIndex(field::UN_MEDIDA),
              fQty = items.fieldIndex(field::QT_ITEM), fPrice = items.fieldIndex(field::VL_UNITARIO),
              fTotal = items.fieldIndex(field::VL_TOTAL);
    int pages = 0;
    for (auto _ : state) {
        QPdfWriter writer(f.pdf);
        writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Landscape, QMarginsF()));
        QPainter painter(&writer);
        const double px = writer.resolution() / 25.4;  // device pixels per mm
        QFont font(QStringLiteral("Arial"));
        font.setPointSizeF(8);
        painter.setFont(font);
        QPen dotted(Qt::black, 0.26 * px);
        dotted.setDashPattern({1, 2});
        const QFontMetricsF metrics(font, &writer);
        double y = 25;
        pages = 1;
        for (int row = 0; row < items.recordCount(); ++row) {
            QTextLayout layout(QString::fromStdString(text::cp1252ToUtf8(items.textAt(row, fDesc))), font, &writer);
            QTextOption option(Qt::AlignJustify);
            option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
            layout.setTextOption(option);
            layout.beginLayout();
            double height = 0;
            for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
                line.setLineWidth(79 * px);
                line.setPosition(QPointF(0, height));
                height += metrics.lineSpacing();
            }
            layout.endLayout();
            const double rowHeight = std::max(5.0, height / px + 0.6);
            if (y + rowHeight + 0.4 > 195) {
                writer.newPage();
                ++pages;
                y = 25;
            }
            layout.draw(&painter, QPointF(24.5 * px, (y + 0.3) * px));
            auto cell = [&](double left, double width, int flags, const std::string& text) {
                painter.drawText(QRectF((10 + left) * px, y * px, width * px, 4.6 * px), flags,
                                 QString::fromStdString(text::cp1252ToUtf8(text)));
            };
            cell(0, 10.2, Qt::AlignRight | Qt::AlignVCenter, items.textAt(row, fCode));
            cell(94.5, 58.6, Qt::AlignLeft | Qt::AlignVCenter, items.textAt(row, fBrand));
            cell(153.9, 25.1, Qt::AlignLeft | Qt::AlignVCenter, items.textAt(row, fUnit));
            cell(180.9, 25.1, Qt::AlignRight | Qt::AlignVCenter, items.textAt(row, fQty));
            cell(208, 25.1, Qt::AlignRight | Qt::AlignVCenter,
                 num::reportNumber(std::get<double>(items.valueAt(row, fPrice))));
            cell(233.5, 17, Qt::AlignCenter, "");
            cell(251.2, 25.1, Qt::AlignRight | Qt::AlignVCenter,
                 num::reportNumber(std::get<double>(items.valueAt(row, fTotal))));
            y += rowHeight;
            painter.save();
            painter.setPen(dotted);
            painter.drawLine(QPointF(10 * px, (y + 0.4) * px), QPointF(286.8 * px, (y + 0.4) * px));
            painter.restore();
            y += 0.4;
        }
    }
    state.counters["pages"] = pages;
}

BENCHMARK(BM_BaselinePdf)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReportBuildAndPdf)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReportBuildOnly)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReportFirstPageOnScreen)->Arg(10000)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) { return ofx::bench::runQtBenchmarks<QGuiApplication>(argc, argv); }
