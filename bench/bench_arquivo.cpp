// The entry window's file side, offscreen, for proposal files of 1,000 and 10,000 items:
//   BM_ConfirmToFirstLot  creating the window, showing it and its first activation loading the
//                         file, until the first lot is shown (the budget: 0.5 s at 10,000 items);
//   BM_Save/repaint       a complete "Salvar proposta": checks, writing with the progress bar
//                         repainted after every item line, the restore and the success message;
//   BM_Save/plain         the same save without the progress bar (no repaint, no event-loop turn).
// The save with the bar should stay within 1.5 times the plain one.
//
// Dialogs are answered at once by a modal hook (Yes to a question, OK to the message box).
// Run: bench_arquivo [Google Benchmark flags]
#include "qtbenchmain.h"
#include "genproposta.h"
#include "workspace.h"

#include "forms/InformaCaminho.h"
#include "forms/LancamentoProposta.h"
#include "proposal/processvariables.h"
#include "text/cp1252.h"
#include "widgets/messagedialog.h"
#include "widgets/modal.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <system_error>

namespace {

namespace fs = std::filesystem;
using namespace ofx;

bench::Workspace& workspace()
{
    static bench::Workspace w("ofx-bench-arquivo");
    return w;
}

// Answers every dialog with its first button: Yes to a question, OK to a message.
void answerFirst(QWidget& dialog)
{
    const auto buttons = dialog.findChildren<QPushButton*>();
    if (auto* form = qobject_cast<widgets::MessageForm*>(&dialog); form && form->button(widgets::MsgButton::Yes))
        form->button(widgets::MsgButton::Yes)->click();
    else if (!buttons.isEmpty())
        buttons.first()->click();
    else
        dialog.close();
}

// A window as the file selection window leaves it after a confirm, loaded and showing its first lot.
std::unique_ptr<forms::TFLancamentoProposta> openWindow(const fs::path& file)
{
    proposal::processVariables().clear();
    forms::vCaminhoArquivo = text::utf8ToCp1252(file.string());
    auto w = std::make_unique<forms::TFLancamentoProposta>();
    w->show();
    w->activateWindow();
    QApplication::setActiveWindow(w.get());
    while (forms::vCarregarArquivo)
        QCoreApplication::processEvents(QEventLoop::AllEvents);
    return w;
}

void BM_ConfirmToFirstLot(benchmark::State& state)
{
    const fs::path& file = workspace().proposal(state.range(0));
    widgets::ScopedModalHook hook(answerFirst);
    for (auto _ : state) {
        auto w = openWindow(file);
        benchmark::DoNotOptimize(w->cdsLote.recordCount());
        if (w->FArquivoInvalido)
            state.SkipWithError("the generated file did not load");
        state.PauseTiming();
        w.reset();
        QCoreApplication::processEvents();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

void BM_Save(benchmark::State& state, bool repaint)
{
    const fs::path& file = workspace().proposal(state.range(0));
    widgets::ScopedModalHook hook(answerFirst);
    auto w = openWindow(file);
    if (!repaint)
        w->ajusteGravacao = [](proposal::SaveOptions& o) { o.progress = {}; };
    for (auto _ : state) {
        w->bbtSalvarClick();
        benchmark::DoNotOptimize(w->pgbStatus);
    }
    if (!fs::exists(file))
        state.SkipWithError("the proposal was not saved in place");
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

BENCHMARK(BM_ConfirmToFirstLot)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Save, repaint, true)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Save, plain, false)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) { return ofx::bench::runQtBenchmarks<QApplication>(argc, argv); }
