// A small drag source for the checks on a real X server (the drop window's and the helper's): a
// window that, when pressed, drags the files named on its command line as file URLs (copy only),
// as a file manager would. It prints "ready" with its window's place once it is on screen,
// "dragging" once a press has started a drag, "accepted" when the window under the pointer takes
// the files, and "dropped" or "refused" when the drag ends.
#include <QApplication>
#include <QDrag>
#include <QMimeData>
#include <QMouseEvent>
#include <QTimer>
#include <QUrl>
#include <QWidget>

#include <cstdio>

namespace {

class DragSource final : public QWidget {
public:
    explicit DragSource(QList<QUrl> urls)
        : urls_(std::move(urls)) {
        setWindowTitle(QStringLiteral("orlix-drag-source"));
        setFixedSize(120, 120);
        setStyleSheet(QStringLiteral("background: #808080"));
    }

protected:
    void mousePressEvent(QMouseEvent* event) override {
        if (event->button() != Qt::LeftButton) {
            return;
        }
        auto* drag = new QDrag(this);
        auto* data = new QMimeData;
        data->setUrls(urls_);
        drag->setMimeData(data);
        connect(drag, &QDrag::actionChanged, this, [](Qt::DropAction action) {
            if (action == Qt::CopyAction) {
                say("accepted");
            }
        });
        say("dragging");
        const auto action = drag->exec(Qt::CopyAction);
        say(action == Qt::CopyAction ? "dropped" : "refused");
    }

    void showEvent(QShowEvent* event) override {
        QWidget::showEvent(event);
        QTimer::singleShot(500, this, [this] {
            const QPoint centre = mapToGlobal(rect().center());
            std::printf("ready %d %d\n", centre.x(), centre.y());
            std::fflush(stdout);
        });
    }

private:
    static void say(const char* what) {
        std::printf("%s\n", what);
        std::fflush(stdout);
    }

    QList<QUrl> urls_;
};

} // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QList<QUrl> urls;
    for (const auto& argument : QApplication::arguments().mid(1)) {
        urls.push_back(QUrl::fromLocalFile(argument));
    }
    DragSource source(urls);
    source.move(40, 600);
    source.show();
    return application.exec();
}
