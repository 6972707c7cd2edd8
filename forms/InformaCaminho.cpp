#include "forms/InformaCaminho.h"

#include "forms/LancamentoProposta.h"
#include "resources/resources.h"
#include "qtext/qtext.h"
#include "widgets/iconbutton.h"
#include "widgets/messagedialog.h"
#include "widgets/screen.h"
#include "widgets/modal.h"
#include "widgets/statusbar.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QScopeGuard>

namespace ofx::forms {

std::string vCaminhoArquivo;

namespace {

QAction* makeAction(QWidget* owner, const char* name, const char* hint, const QIcon& icon,
                    QKeySequence shortcut)
{
    auto* action = new QAction(owner);
    action->setObjectName(QLatin1String(name));
    action->setToolTip(QString::fromUtf8(hint));
    action->setIcon(icon);
    action->setShortcut(shortcut);
    owner->addAction(action);  // window-wide shortcut
    return action;
}

}  // namespace

TFInformaCaminho::TFInformaCaminho(QWidget* parent) : TFPadraoGeral(parent)
{
    setObjectName(QStringLiteral("FInformaCaminho"));
    setWindowTitle(QStringLiteral("Bravin - Ofertix"));
    setClientSize(643, 199);

    ActImportar = makeAction(this, "ActImportar", "Importar", imgCadastro.icon(16),
                             QKeySequence(Qt::CTRL | Qt::Key_I));
    ActSair = makeAction(this, "ActSair", "Sair", imgCadastro.icon(12), QKeySequence(Qt::CTRL | Qt::Key_F4));
    actBuscarDestino = makeAction(this, "actBuscarDestino", "Diretório", imgCadastro.icon(17),
                                  QKeySequence(Qt::CTRL | Qt::Key_D));
    actInformaCaminho = {ActImportar, ActSair, actBuscarDestino};
    connect(ActImportar, &QAction::triggered, this, [this] { run([this] { ActImportarExecute(); }); });
    connect(ActSair, &QAction::triggered, this, [this] { run([this] { ActSairExecute(); }); });
    connect(actBuscarDestino, &QAction::triggered, this, [this] { run([this] { actBuscarDestinoExecute(); }); });

    grbCaminho = new QGroupBox(QStringLiteral("Selecione o arquivo para registrar suas propostas"), this);
    grbCaminho->setGeometry(0, 0, 643, 178);

    // Decoration only: shown as drawn (a disabled label would grey it) but blind to the mouse
    // and the keyboard.
    imgCabecalho = new QLabel(grbCaminho);
    imgCabecalho->setGeometry(2, 16, 639, 71);
    imgCabecalho->setPixmap(resources::fileSelectionBanner());
    imgCabecalho->setFocusPolicy(Qt::NoFocus);
    imgCabecalho->setAttribute(Qt::WA_TransparentForMouseEvents);

    lblArquivo = new QLabel(QStringLiteral("Arquivo:"), grbCaminho);
    lblArquivo->move(24, 101);
    lblArquivo->adjustSize();

    edtCaminho = new QLineEdit(grbCaminho);
    edtCaminho->setGeometry(68, 99, 524, 21);

    bbtCaminho = new widgets::IconButton(grbCaminho, false);
    bbtCaminho->setGeometry(593, 97, 23, 23);
    bbtCaminho->setIconSize(QSize(16, 16));
    bbtCaminho->setAction(actBuscarDestino);

    bbtConfirmar = new widgets::IconButton(grbCaminho);
    bbtConfirmar->setGeometry(283, 127, 36, 36);
    bbtConfirmar->setIconSize(QSize(32, 32));
    bbtConfirmar->setAction(ActImportar);

    bbtSair = new widgets::IconButton(grbCaminho);
    bbtSair->setGeometry(320, 127, 36, 36);
    bbtSair->setIconSize(QSize(32, 32));
    bbtSair->setAction(ActSair);

    dxStatusBar = new widgets::PanelStatusBar(this);
    dxStatusBar->setGeometry(0, 178, 643, 21);
    dxStatusBar->addPanel(503, resources::copyrightNotice());
    dxStatusBar->addPanel(-1, resources::versionText());

    setTabOrder(bbtConfirmar, bbtSair);
    setTabOrder(bbtSair, edtCaminho);
    setTabOrder(edtCaminho, bbtCaminho);
}

TFInformaCaminho::~TFInformaCaminho() = default;

QFileDialog* TFInformaCaminho::browseDialog()
{
    if (!otdCaminho) {
        otdCaminho = new QFileDialog(this, QStringLiteral("Abrir"));
        otdCaminho->setObjectName(QStringLiteral("otdCaminho"));
        otdCaminho->setAcceptMode(QFileDialog::AcceptOpen);
        otdCaminho->setFileMode(QFileDialog::ExistingFile);
        // Both spellings of the extension: file names keep their case on this file system.
        otdCaminho->setNameFilter(QStringLiteral("Arquivos de Texto (*.TXT *.txt)"));
        otdCaminho->setDefaultSuffix(QStringLiteral("TXT"));
    }
    return otdCaminho;
}

void TFInformaCaminho::actBuscarDestinoExecute()
{
    bbtCaminhoClick();
}

void TFInformaCaminho::bbtCaminhoClick()
{
    // The focus goes back where it was (the path field, after Ctrl+D there).
    const QPointer<QWidget> before = focusWidget();
    const auto restoreFocus = qScopeGuard([&] {
        if (before)
            before->setFocus(Qt::OtherFocusReason);
    });
    QFileDialog* dialog = browseDialog();
    if (widgets::execModal(*dialog) != QDialog::Accepted)
        return;
    const QStringList files = dialog->selectedFiles();
    if (!files.isEmpty())
        edtCaminho->setText(QDir::toNativeSeparators(files.constFirst()));
}

void TFInformaCaminho::ActImportarExecute()
{
    bbtConfirmarClick();
}

void TFInformaCaminho::bbtConfirmarClick()
{
    const QString typed = edtCaminho->text();
    if (typed.isEmpty()) {
        // Either answer ends the operation.
        widgets::messageDlg(QStringLiteral("O diretório do arquivo deve ser informado."),
                            widgets::MsgKind::Information, widgets::MsgButton::OK | widgets::MsgButton::Cancel, this);
        return;
    }
    // The path is kept in CP1252; test the path that loading will open, so that a name with a
    // character CP1252 lacks is refused here rather than failing later.
    std::string path = qtext::toCp1252(typed);
    const QFileInfo file(qtext::fromCp1252(path));
    if (!file.isFile() && QFileInfo(typed).isFile()) {
        widgets::messageDlg(QStringLiteral("O nome do arquivo informado tem caracteres que os arquivos de proposta não "
                                           "aceitam. Renomeie o arquivo (ou a pasta) sem eles e tente novamente."),
                            widgets::MsgKind::Information, widgets::MsgButton::OK, this);
        return;
    }
    if (!file.isFile()) {
        widgets::messageDlg(QStringLiteral("O arquivo informado não foi encontrado."),
                            widgets::MsgKind::Information, widgets::MsgButton::OK, this);
        return;
    }
    vCaminhoArquivo = std::move(path);

    // The entry window frees itself when closed; whichever comes first, that or the disposal
    // here, destroys it, and the other finds it gone.
    QPointer<TFLancamentoProposta> entry = new TFLancamentoProposta(this);
    widgets::execModal(*entry);
    delete entry.data();
}

void TFInformaCaminho::ActSairExecute()
{
    bbtSairClick();
}

void TFInformaCaminho::bbtSairClick()
{
    QCoreApplication::exit(0);
}

void TFInformaCaminho::FormActivate()
{
    bbtCaminho->setFocus(Qt::ActiveWindowFocusReason);
}

void TFInformaCaminho::FormKeyPress(QKeyEvent* event)
{
    // Only an Enter that reaches the window itself: the path field's own Enter does not count
    // (the window does not preview its controls' keys). The key is not consumed.
    // A command button with the focus is pressed by Enter, as by Space.
    if (event->key() != Qt::Key_Return && event->key() != Qt::Key_Enter)
        return;
    if (auto* button = qobject_cast<QAbstractButton*>(focusWidget())) {
        button->click();
        return;
    }
    if (focusWidget() != edtCaminho)
        focusNextChild();
}

bool TFInformaCaminho::event(QEvent* event)
{
    const bool result = TFPadraoGeral::event(event);
    // Only when the window becomes the program's active window: not when the user comes back
    // from another application, nor when a system message box closes.
    if (event->type() == QEvent::WindowActivate && widgets::isProgramActivation(this))
        FormActivate();
    return result;
}

void TFInformaCaminho::keyPressEvent(QKeyEvent* event)
{
    FormKeyPress(event);
    TFPadraoGeral::keyPressEvent(event);
}

}  // namespace ofx::forms
