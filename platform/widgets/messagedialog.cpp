#include "widgets/messagedialog.h"

#include "widgets/modal.h"

#include <QApplication>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QStyle>

#include <array>

namespace ofx::widgets {

namespace {

constexpr std::array allButtons = {
    MsgButton::Yes,    MsgButton::No,      MsgButton::OK,       MsgButton::Cancel,
    MsgButton::Abort,  MsgButton::Retry,   MsgButton::Ignore,   MsgButton::All,
    MsgButton::NoToAll, MsgButton::YesToAll, MsgButton::Help,   MsgButton::Close,
};

QStyle::StandardPixmap kindPixmap(MsgKind kind)
{
    switch (kind) {
    case MsgKind::Warning: return QStyle::SP_MessageBoxWarning;
    case MsgKind::Error: return QStyle::SP_MessageBoxCritical;
    case MsgKind::Information: return QStyle::SP_MessageBoxInformation;
    case MsgKind::Confirmation: return QStyle::SP_MessageBoxQuestion;
    case MsgKind::Custom: break;
    }
    return QStyle::SP_CustomBase;
}

// A line break written as CR (or CR LF) by the callers shows as a line break.
QString displayText(QString text)
{
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text;
}

}  // namespace

QString englishTitle(MsgKind kind)
{
    switch (kind) {
    case MsgKind::Warning: return QStringLiteral("Warning");
    case MsgKind::Error: return QStringLiteral("Error");
    case MsgKind::Information: return QStringLiteral("Information");
    case MsgKind::Confirmation: return QStringLiteral("Confirm");
    case MsgKind::Custom: break;
    }
    return {};
}

QString englishCaption(MsgButton button)
{
    switch (button) {
    case MsgButton::Yes: return QStringLiteral("&Yes");
    case MsgButton::No: return QStringLiteral("&No");
    case MsgButton::OK: return QStringLiteral("OK");
    case MsgButton::Cancel: return QStringLiteral("Cancel");
    case MsgButton::Abort: return QStringLiteral("&Abort");
    case MsgButton::Retry: return QStringLiteral("&Retry");
    case MsgButton::Ignore: return QStringLiteral("&Ignore");
    case MsgButton::All: return QStringLiteral("&All");
    case MsgButton::NoToAll: return QStringLiteral("N&o to All");
    case MsgButton::YesToAll: return QStringLiteral("Yes to &All");
    case MsgButton::Help: return QStringLiteral("&Help");
    case MsgButton::Close: return QStringLiteral("&Close");
    case MsgButton::None: break;
    }
    return {};
}

MessageForm::MessageForm(const QString& text, MsgKind kind, MsgButtons buttons, QWidget* parent,
                         const QString& customTitle)
    : QDialog(parent), kind_(kind), buttons_(buttons)
{
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                   | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    QString title = kind == MsgKind::Custom ? customTitle : englishTitle(kind);
    if (kind == MsgKind::Custom && title.isEmpty())
        title = QGuiApplication::applicationDisplayName();
    setWindowTitle(title);

    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(12, 12, 12, 10);
    grid->setHorizontalSpacing(12);
    grid->setVerticalSpacing(14);

    if (kind != MsgKind::Custom) {
        auto* icon = new QLabel(this);
        icon->setObjectName(QStringLiteral("Image"));
        const int extent = style()->pixelMetric(QStyle::PM_MessageBoxIconSize, nullptr, this);
        icon->setPixmap(style()->standardIcon(kindPixmap(kind), nullptr, this).pixmap(extent, extent));
        icon->setAlignment(Qt::AlignTop | Qt::AlignHCenter);
        grid->addWidget(icon, 0, 0);
    }

    message_ = new QLabel(displayText(text), this);
    message_->setObjectName(QStringLiteral("Message"));
    message_->setTextFormat(Qt::PlainText);
    message_->setWordWrap(true);
    message_->setMinimumWidth(qMin(fontMetrics().horizontalAdvance(message_->text()) + 4, 420));
    message_->setTextInteractionFlags(Qt::NoTextInteraction);
    grid->addWidget(message_, 0, 1);

    auto* row = new QHBoxLayout;
    row->addStretch();
    bool haveDefault = false;
    for (MsgButton b : allButtons) {
        if (!buttons.testFlag(b))
            continue;
        // Direct children of the dialog, in display order: the caption rewrite walks them so.
        auto* pb = new QPushButton(englishCaption(b), this);
        pb->setMinimumWidth(75);
        pb->setAutoDefault(true);
        if (!haveDefault && (b == MsgButton::OK || b == MsgButton::Yes)) {
            pb->setDefault(true);
            haveDefault = true;
        }
        if (b != MsgButton::Help)
            connect(pb, &QPushButton::clicked, this, [this, b] { press(b); });
        buttonList_.emplace_back(b, pb);
        row->addWidget(pb);
    }
    if (!haveDefault && !buttonList_.empty())
        buttonList_.front().second->setDefault(true);
    row->addStretch();
    grid->addLayout(row, 1, 0, 1, 2);
    grid->setSizeConstraint(QLayout::SetFixedSize);
}

void MessageForm::setDefaultButton(MsgButton which)
{
    QPushButton* chosen = button(which);
    if (!chosen)
        return;
    for (const auto& [b, pb] : buttonList_)
        pb->setDefault(pb == chosen);
    chosen->setFocus();
}

QPushButton* MessageForm::button(MsgButton which) const
{
    for (const auto& [b, pb] : buttonList_)
        if (b == which)
            return pb;
    return nullptr;
}

void MessageForm::press(MsgButton which)
{
    pressed_ = which;
    done(static_cast<int>(which));
}

void MessageForm::reject()
{
    for (MsgButton b : {MsgButton::Cancel, MsgButton::No, MsgButton::OK}) {
        if (buttons_.testFlag(b)) {
            press(b);
            return;
        }
    }
}

MsgButton messageDlg(const QString& text, MsgKind kind, MsgButtons buttons, QWidget* parent, MsgButton defaultButton)
{
    if (!parent)
        parent = QApplication::activeWindow();
    MessageForm form(text, kind, buttons, parent);
    if (defaultButton != MsgButton::None)
        form.setDefaultButton(defaultButton);
    execModal(form);
    return form.pressedButton();
}

void systemMessageBox(const QString& title, const QString& text, QWidget* parent)
{
    if (!parent)
        parent = QApplication::activeWindow();
    QMessageBox box(QMessageBox::Information, title, text, QMessageBox::Ok, parent);
    // Closing the system's box gives the window its activation back without counting as one.
    execModal(box, Return::Silent);
}

void showException(const std::exception& error, QWidget* parent)
{
    messageDlg(QString::fromUtf8(error.what()), MsgKind::Error, MsgButton::OK, parent);
}

}  // namespace ofx::widgets
