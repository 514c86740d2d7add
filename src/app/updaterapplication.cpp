#include "updaterapplication.h"

#include <QMessageBox>
#include <QStyleFactory>
#include <exception>

namespace {

std::function<void(const QString&)>& errorReporter() {
    static std::function<void(const QString&)> reporter = [](const QString& message) {
        QMessageBox::critical(QApplication::activeWindow(), UpdaterApplication::Title, message);
    };
    return reporter;
}

}  // namespace

UpdaterApplication::UpdaterApplication(int& argc, char** argv) : QApplication(argc, argv) {
    setApplicationName(Title);
    setOrganizationName("Tarvik");
    // The window was designed for the classic look: captions set into the group boxes' frames,
    // greyed step labels drawn embossed.
    if (QStyle* classic = QStyleFactory::create(QStringLiteral("Windows"))) {
        setStyle(classic);
    }
}

bool UpdaterApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& error) {
        reportError(QString::fromUtf8(error.what()));
    } catch (...) {
        reportError(QStringLiteral("Unknown error"));
    }
    return false;
}

void UpdaterApplication::setErrorReporter(std::function<void(const QString&)> reporter) {
    errorReporter() = std::move(reporter);
}

void UpdaterApplication::reportError(const QString& message) {
    errorReporter()(message);
}

void UpdaterApplication::bringToFront(QWidget& window) {
    window.setWindowState(window.windowState() & ~Qt::WindowMinimized);
    window.show();
    window.raise();
    window.activateWindow();
}
