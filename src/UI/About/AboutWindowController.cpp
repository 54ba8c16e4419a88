#include "UI/About/AboutWindowController.h"

#include "UI/Common/WindowPresentation.h"
#include "UI/LocalizedText.h"

#include <QDialog>
#include <QFile>
#include <QLabel>
#include <QTextBrowser>
#include <QVBoxLayout>

namespace orlix {

namespace {

constexpr int iconSize = 128;

QLabel* centredLabel(const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setAlignment(Qt::AlignHCenter);
    label->setTextFormat(Qt::PlainText);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return label;
}

QFont scaledFont(QFont font, double scale, bool bold) {
    font.setPointSizeF(font.pointSizeF() * scale);
    font.setBold(bold);
    return font;
}

} // namespace

AboutWindowController::AboutWindowController(const ApplicationBundle& bundle) {
    loadWindow();
    windowDidLoad(bundle);
}

AboutWindowController::~AboutWindowController() {
    delete window_.data();
}

void AboutWindowController::loadWindow() {
    window_ = new QDialog;
    // A window of settings or information: it is closed, never maximised.
    window_->setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                            Qt::WindowCloseButtonHint);
    window_->setWindowTitle(localizedText("About Orlix", "Title of the About window"));
    auto* windowLayout = new QVBoxLayout(window_);
    windowLayout->setSizeConstraint(QLayout::SetFixedSize);
    windowLayout->setContentsMargins(0, 0, 0, 0);
    auto* content = new QWidget(window_);
    content->setFixedWidth(contentWidth);
    windowLayout->addWidget(content);

    auto* layout = new QVBoxLayout(content);
    layout->setContentsMargins(20, 20, 20, 20);
    layout->setSpacing(6);
    applicationIconImageView_ = new QLabel(content);
    applicationIconImageView_->setFixedSize(iconSize, iconSize);
    layout->addWidget(applicationIconImageView_, 0, Qt::AlignHCenter);
    applicationNameLabel_ = centredLabel(QStringLiteral("Orlix"), content);
    applicationNameLabel_->setFont(scaledFont(applicationNameLabel_->font(), 1.5, true));
    layout->addWidget(applicationNameLabel_);
    applicationVersionLabel_ = centredLabel(QString(), content);
    layout->addWidget(applicationVersionLabel_);
    applicationCopyrightLabel_ = centredLabel(QString(), content);
    applicationCopyrightLabel_->setWordWrap(true);
    applicationCopyrightLabel_->setFont(
        scaledFont(applicationCopyrightLabel_->font(), 0.85, false));
    layout->addWidget(applicationCopyrightLabel_);
    layout->addSpacing(8);
    creditsTextView_ = new QTextBrowser(content);
    creditsTextView_->setOpenExternalLinks(true);
    creditsTextView_->setFixedHeight(200);
    layout->addWidget(creditsTextView_);
}

void AboutWindowController::windowDidLoad(const ApplicationBundle& bundle) {
    const QIcon icon = ApplicationBundle::applicationIcon();
    if (!icon.isNull()) {
        applicationIconImageView_->setPixmap(
            icon.pixmap(QSize(iconSize, iconSize), window_->devicePixelRatioF()));
    }
    if (bundle.name) {
        applicationNameLabel_->setText(*bundle.name);
    }
    if (bundle.shortVersionString && bundle.version) {
        applicationVersionLabel_->setText(
            versionString(*bundle.shortVersionString, *bundle.version));
    }
    if (bundle.humanReadableCopyright) {
        applicationCopyrightLabel_->setText(*bundle.humanReadableCopyright);
    }
    if (bundle.creditsPath) {
        QFile credits(*bundle.creditsPath);
        if (credits.open(QIODevice::ReadOnly)) {
            creditsTextView_->setHtml(QString::fromUtf8(credits.readAll()));
        }
    }
}

QString AboutWindowController::versionString(const QString& shortVersion, const QString& build) {
    return localizedText("Version %1 (%2)",
                         "String for formatting version numbers in the About dialog")
        .arg(shortVersion, build);
}

void AboutWindowController::showWindow() {
    if (window_->isMinimized()) {
        window_->showNormal();
    }
    WindowPresentation::activate(window_);
}

bool AboutWindowController::isWindowVisible() const {
    return window_ && window_->isVisible();
}

} // namespace orlix
