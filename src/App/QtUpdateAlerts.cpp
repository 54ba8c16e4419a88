#include "App/QtUpdateAlerts.h"

#include "Platform/Localization.h"
#include "Shared/SharedDefinitions.h"
#include "UI/Common/WindowPresentation.h"

#include <QDesktopServices>
#include <QGridLayout>
#include <QMessageBox>
#include <QPushButton>
#include <QSpacerItem>
#include <QUrl>

namespace orlix {

namespace {

constexpr int kMinimumWidth = 440;

QString text(const char* value, const char* comment) {
    return QString::fromStdString(localized(value, comment));
}

QString qString(const std::string& value) {
    return QString::fromStdString(value);
}

// The details may carry PackageKit's words, which must never be read as markup; the message
// stands out in bold above them.
QString markup(const QString& plain) {
    return QStringLiteral("<p>") + plain.toHtmlEscaped().replace(u'\n', QStringLiteral("<br>")) +
           QStringLiteral("</p>");
}

void prepare(QMessageBox& alert, const QString& message, const QString& details) {
    alert.setWindowTitle(QStringLiteral("Orlix"));
    alert.setTextFormat(Qt::RichText);
    alert.setText(QStringLiteral("<b>") + message.toHtmlEscaped() + QStringLiteral("</b>"));
    alert.setInformativeText(markup(details));
    // Wide enough that a version line and the command do not wrap word by word.
    if (auto* grid = qobject_cast<QGridLayout*>(alert.layout())) {
        grid->addItem(new QSpacerItem(kMinimumWidth, 0, QSizePolicy::Minimum, QSizePolicy::Fixed),
                      grid->rowCount(), 0, 1, grid->columnCount());
    }
    WindowPresentation::prepareDialog(&alert);
}

void inform(QMessageBox::Icon icon, const QString& message, const QString& details) {
    QMessageBox alert;
    alert.setIcon(icon);
    prepare(alert, message, details);
    alert.addButton(QMessageBox::Ok);
    alert.exec();
}

} // namespace

void QtUpdateAlerts::offerUpdate(const Offer& offer) {
    QMessageBox alert;
    alert.setIcon(QMessageBox::Information);
    prepare(alert, text("A new version of Orlix is available!", "Update alert title"),
            text("Orlix %1 is available; you have %2. Install it with your software centre, or "
                 "with this command in a terminal:\n\nsudo apt install --only-upgrade %3",
                 "Update alert: new version, installed version, package name")
                .arg(qString(offer.availableVersion), qString(offer.installedVersion),
                     qString(offer.packageName)));
    auto* open = alert.addButton(text("Open Software Centre", "Update alert button"),
                                 QMessageBox::AcceptRole);
    alert.addButton(text("Later", "Update alert button"), QMessageBox::RejectRole);
    alert.setDefaultButton(open);
    alert.exec();
    if (alert.clickedButton() == open) {
        // The metadata's component is named after the application.
        QDesktopServices::openUrl(QUrl(QStringLiteral("appstream://") +
                                       QString::fromLatin1(applicationBundleIdentifier)));
    }
}

void QtUpdateAlerts::reportNoUpdate(const std::string& installedVersion) {
    inform(QMessageBox::Information, text("You're up to date!", "No update alert title"),
           text("Orlix %1 is the newest version your package sources offer.",
                "No update alert: the installed version")
               .arg(qString(installedVersion)));
}

void QtUpdateAlerts::reportCheckFailed(const std::string& reason) {
    inform(QMessageBox::Warning,
           text("Orlix could not check for updates.", "Failed update check alert title"),
           qString(reason));
}

} // namespace orlix
