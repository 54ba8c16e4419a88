// A drag source for the helper's end-to-end check on a real X server: a window that starts a
// file drag of the files named on its command line when the left button is pressed and moved on
// it, as a file manager does. It prints "ready" once its event loop runs, and "dropped N" with
// the action the target took when the drag is over.

#include <QApplication>
#include <QDrag>
#include <QMimeData>
#include <QMouseEvent>
#include <QTimer>
#include <QUrl>
#include <QWidget>

#include <cstdio>

namespace {

class DragSourceWindow final : public QWidget {
public:
    explicit DragSourceWindow(QList<QUrl> urls)
        : urls_(std::move(urls)) {
        setWindowTitle(QStringLiteral("Drag source"));
        setAutoFillBackground(true);
        setPalette(QPalette(QColor(90, 120, 160)));
    }

protected:
    void mousePressEvent(QMouseEvent* event) override {
        pressed_ = event->button() == Qt::LeftButton;
    }

    void mouseMoveEvent(QMouseEvent* event) override {
        if (!pressed_ || !(event->buttons() & Qt::LeftButton)) {
            return;
        }
        pressed_ = false;
        auto* drag = new QDrag(this);
        auto* data = new QMimeData;
        data->setUrls(urls_);
        drag->setMimeData(data);
        const auto action = drag->exec(Qt::CopyAction);
        std::printf("dropped %d\n", static_cast<int>(action));
        std::fflush(stdout);
    }

private:
    QList<QUrl> urls_;
    bool pressed_ = false;
};

} // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QList<QUrl> urls;
    for (const auto& argument : application.arguments().mid(1)) {
        urls.append(QUrl::fromLocalFile(argument));
    }
    DragSourceWindow window(urls);
    window.setGeometry(100, 600, 300, 200);
    window.show();
    QTimer::singleShot(0, [] {
        std::puts("ready");
        std::fflush(stdout);
    });
    return application.exec();
}
