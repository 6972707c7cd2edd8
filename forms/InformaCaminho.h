#pragma once
// TFInformaCaminho: the file selection window, the program's main window. The user names the
// proposal exchange file (typed or browsed) and confirms; confirming opens the proposal entry
// window on it, modally, and destroys that window when it closes.
#include "forms/uPadraoGeral.h"

#include <QPointer>

#include <string>

class QFileDialog;
class QGroupBox;
class QLabel;
class QLineEdit;

namespace ofx::widgets {
class IconButton;
class PanelStatusBar;
}  // namespace ofx::widgets

namespace ofx::forms {

// The path of the proposal exchange file, exactly as typed or chosen (not trimmed), CP1252.
// Empty at start; set by the confirm operation; read by loading and saving. Process-wide.
extern std::string vCaminhoArquivo;

class TFInformaCaminho : public TFPadraoGeral {
    Q_OBJECT
public:
    explicit TFInformaCaminho(QWidget* parent = nullptr);
    ~TFInformaCaminho() override;

    // Components, in the window's layout (client area 643 x 199).
    QGroupBox* grbCaminho = nullptr;
    QLabel* imgCabecalho = nullptr;  // header banner, 639 x 71
    QLabel* lblArquivo = nullptr;
    QLineEdit* edtCaminho = nullptr;
    widgets::IconButton* bbtCaminho = nullptr;    // 23 x 23, actBuscarDestino
    widgets::IconButton* bbtConfirmar = nullptr;  // 36 x 36, ActImportar
    widgets::IconButton* bbtSair = nullptr;       // 36 x 36, ActSair
    widgets::PanelStatusBar* dxStatusBar = nullptr;

    // actInformaCaminho, images from imgCadastro.
    QAction* ActImportar = nullptr;       // "Importar", Ctrl+I, image 16
    QAction* ActSair = nullptr;           // "Sair", Ctrl+F4, image 12
    QAction* actBuscarDestino = nullptr;  // "Diretório", Ctrl+D, image 17
    QList<QAction*> actInformaCaminho;

    // The browse dialog, made on first use and kept (it remembers its folder).
    QPointer<QFileDialog> otdCaminho;

    // Handlers.
    void actBuscarDestinoExecute();
    void bbtCaminhoClick();
    void ActImportarExecute();
    void bbtConfirmarClick();
    void ActSairExecute();
    void bbtSairClick();
    void FormActivate();
    void FormKeyPress(QKeyEvent* event);

protected:
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QFileDialog* browseDialog();
};

}  // namespace ofx::forms
