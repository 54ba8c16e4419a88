#include "UI/DropPanel/OperationsViewController.h"

#include "Platform/Localization.h"
#include "Platform/MainQueue.h"
#include "UI/Common/ApplicationActivationObserver.h"
#include "UI/Common/Palette.h"
#include "UI/Common/ViewHelpers.h"
#include "UI/DropPanel/FileURLsFromPasteboard.h"
#include "UI/DropPanel/NotFirstMouseAcceptingTextField.h"
#include "UI/DropPanel/OperationsSectionView.h"
#include "UI/DropPanel/OperationsView.h"
#include "UI/DropPanel/ViewBackgroundLayeredArtist.h"
#include "UI/DropPanel/ViewBorderLayeredArtist.h"

#include <QDropEvent>
#include <QGridLayout>
#include <QGuiApplication>
#include <QLabel>
#include <QVBoxLayout>

namespace orlix {

namespace {

using ViewType = OperationsViewController::OperationsViewType;
using MouseState = OperationsViewController::OperationsMouseState;

bool isApplicationActive() {
    return QGuiApplication::applicationState() == Qt::ApplicationActive;
}

template <typename View> View* required(const QPointer<View>& outlet) {
    if (!outlet) {
        qFatal("The drop panel's interface lacks one of its zones");
    }
    return outlet.data();
}

QString text(const char* value, const char* comment) {
    return QString::fromStdString(localized(value, comment));
}

// A zone: its title with a hint below, centred.
OperationsSectionView* makeZone(QWidget* parent, const QString& title, const QString& hint,
                                int titlePointSize, int hintPointSize) {
    auto* zone = new OperationsSectionView(parent);
    auto* column = new QVBoxLayout(zone);
    column->setContentsMargins(12, 8, 12, 8);
    column->setSpacing(4);
    column->addStretch();
    for (const auto& [words, size, bold] :
         {std::tuple{title, titlePointSize, true}, std::tuple{hint, hintPointSize, false}}) {
        auto* label = new NotFirstMouseAcceptingTextField(words, zone);
        label->setAlignment(Qt::AlignCenter);
        label->setWordWrap(true);
        QFont font = label->font();
        font.setPointSize(size);
        font.setBold(bold);
        label->setFont(font);
        column->addWidget(label);
    }
    column->addStretch();
    return zone;
}

std::shared_ptr<const ViewBorderLayeredArtist> separator(bool right, const QColor& color) {
    auto artist = std::make_shared<ViewBorderLayeredArtist>();
    const ViewBorderLayeredArtist::Border border{OperationsViewController::separatorWidth,
                                                 OperationsViewController::separatorMargin, color};
    (right ? artist->rightBorder : artist->bottomBorder) = border;
    return artist;
}

} // namespace

OperationsViewController::OperationsViewController()
    : activationObserver_(std::make_unique<ApplicationActivationObserver>()) {
    // A drag that leaves the window from a part of it outside the zones, or ends there, is heard
    // of by no zone.
    windowDragTracker_.dragLeftWindowCallback = [this] {
        if (!quickOptimizeView()->dragging() && !resizeAndOptimizeView()->dragging() &&
            !usePreviousSettingsView()->dragging()) {
            dragLeftWindow();
        }
    };
}

OperationsViewController::~OperationsViewController() {
    // The view may outlive its controller inside a window; it must not call back.
    appearanceChangedObserver_.reset();
    if (operationsView_) {
        operationsView_->setDelegate(nullptr);
        operationsView_->removeEventFilter(this);
    }
    for (auto* zone : {quickOptimizeView_.data(), resizeAndOptimizeView_.data(),
                       usePreviousSettingsView_.data()}) {
        if (zone) {
            zone->setDragDelegate(nullptr);
            zone->setMouseDelegate(nullptr);
        }
    }
    if (operationsView_ && !operationsView_->parentWidget()) {
        delete operationsView_.data();
    }
}

QWidget* OperationsViewController::view() {
    if (!isViewLoaded()) {
        loadView();
        viewDidLoad();
    }
    return operationsView_;
}

OperationsView* OperationsViewController::operationsView() const {
    return required(operationsView_);
}

OperationsSectionView* OperationsViewController::quickOptimizeView() const {
    return required(quickOptimizeView_);
}

OperationsSectionView* OperationsViewController::resizeAndOptimizeView() const {
    return required(resizeAndOptimizeView_);
}

OperationsSectionView* OperationsViewController::usePreviousSettingsView() const {
    return required(usePreviousSettingsView_);
}

void OperationsViewController::loadView() {
    buildView(popoverLayout());
}

void OperationsViewController::buildView(const Layout& layout) {
    operationsView_ = new OperationsView;
    operationsView_->setObjectName(QStringLiteral("operationsView"));
    operationsView_->setFixedSize(layout.width, layout.height);
    auto* grid = new QGridLayout(operationsView_);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setSpacing(0);
    grid->setColumnMinimumWidth(0, layout.leftColumnWidth);
    grid->setColumnStretch(1, 1);
    quickOptimizeView_ =
        makeZone(operationsView_, text("Quick Optimize", "Drop zone title"),
                 text("Drop PNG and JPEG images here to make them smaller, or click to choose them",
                      "Drop zone hint of quick optimize"),
                 layout.titlePointSize, layout.hintPointSize);
    quickOptimizeView_->setFixedWidth(layout.leftColumnWidth);
    resizeAndOptimizeView_ =
        makeZone(operationsView_, text("Resize and Optimize", "Drop zone title"),
                 text("Choose sizes and format first", "Drop zone hint of resize and optimize"),
                 layout.titlePointSize, layout.hintPointSize);
    usePreviousSettingsView_ = makeZone(
        operationsView_, text("Use Previous Settings", "Drop zone title"),
        text("The settings you chose last time", "Drop zone hint of use previous settings"),
        layout.titlePointSize, layout.hintPointSize);
    grid->addWidget(quickOptimizeView_, 0, 0, 2, 1);
    grid->addWidget(resizeAndOptimizeView_, 0, 1);
    grid->addWidget(usePreviousSettingsView_, 1, 1);
    quickOptimizeView_->setObjectName(QStringLiteral("quickOptimizeZone"));
    resizeAndOptimizeView_->setObjectName(QStringLiteral("resizeAndOptimizeZone"));
    usePreviousSettingsView_->setObjectName(QStringLiteral("usePreviousSettingsZone"));
}

void OperationsViewController::viewDidLoad() {
    operationsView()->setInPopover(isInPopover_);
    operationsView()->setDelegate(this);
    operationsView()->installEventFilter(this);
    for (auto* zone : {quickOptimizeView(), resizeAndOptimizeView(), usePreviousSettingsView()}) {
        zone->setDragDelegate(this);
        zone->setMouseDelegate(this);
    }
    setState(initialState());
    const QPointer<OperationsViewController> weak(this);
    activationObserver_->applicationDidResignActiveCallback = [weak] {
        if (weak && !weak->dragging_ && !weak->isAnySectionClicking()) {
            weak->setState(initialState());
        }
    };
    // The zones' colours differ between the light and the dark scheme.
    appearanceChangedObserver_.emplace(operationsView_, [weak] {
        if (weak) {
            weak->refresh();
        }
    });
    updateClickability();
}

void OperationsViewController::viewDidAppear() {
    updateClickability();
}

// The view's appearance.
// The event's type is looked at first: the view sends events (children removed) while it is
// destroyed, when it may no longer be looked at as the panel's view.
bool OperationsViewController::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Show && watched == operationsView_) {
        viewDidAppear();
    }
    return QObject::eventFilter(watched, event);
}

void OperationsViewController::setQuickOptimizeClickedCallback(ClickedCallback callback) {
    quickOptimizeClickedCallback_ = std::move(callback);
    updateClickability();
}

void OperationsViewController::setResizeAndOptimizeClickedCallback(ClickedCallback callback) {
    resizeAndOptimizeClickedCallback_ = std::move(callback);
    updateClickability();
}

void OperationsViewController::setUsePreviousSettingsClickedCallback(ClickedCallback callback) {
    usePreviousSettingsClickedCallback_ = std::move(callback);
    updateClickability();
}

void OperationsViewController::updateClickability() {
    if (!isViewLoaded()) {
        return;
    }
    for (const auto zone :
         {ViewType::quickOptimize, ViewType::resizeAndOptimize, ViewType::usePreviousSettings}) {
        zoneView(zone)->setClickable(bool(clickedCallback(zone)));
    }
}

void OperationsViewController::setInBackground(bool inBackground) {
    isInBackground_ = inBackground;
    refresh();
}

void OperationsViewController::setState(State state) {
    state_ = state;
    refresh();
}

void OperationsViewController::refresh() {
    if (!isViewLoaded()) {
        return;
    }
    updateVisuals(state_.viewType, state_.mouseState, isInBackground_);
    operationsView()->layoutBackgroundViews();
}

bool OperationsViewController::isAnySectionClicking() const {
    return quickOptimizeView()->clicking() || resizeAndOptimizeView()->clicking() ||
           usePreviousSettingsView()->clicking();
}

OperationsViewController::OperationsViewType
OperationsViewController::viewType(const OperationsSectionView* view) const {
    if (view && view == quickOptimizeView_) {
        return ViewType::quickOptimize;
    }
    if (view && view == resizeAndOptimizeView_) {
        return ViewType::resizeAndOptimize;
    }
    if (view && view == usePreviousSettingsView_) {
        return ViewType::usePreviousSettings;
    }
    return ViewType::none;
}

OperationsSectionView* OperationsViewController::zoneView(OperationsViewType zone) const {
    switch (zone) {
    case ViewType::quickOptimize:
        return quickOptimizeView();
    case ViewType::resizeAndOptimize:
        return resizeAndOptimizeView();
    case ViewType::usePreviousSettings:
        return usePreviousSettingsView();
    case ViewType::none:
        break;
    }
    return nullptr;
}

const OperationsViewController::ClickedCallback&
OperationsViewController::clickedCallback(OperationsViewType zone) const {
    static const ClickedCallback none;
    switch (zone) {
    case ViewType::quickOptimize:
        return quickOptimizeClickedCallback_;
    case ViewType::resizeAndOptimize:
        return resizeAndOptimizeClickedCallback_;
    case ViewType::usePreviousSettings:
        return usePreviousSettingsClickedCallback_;
    case ViewType::none:
        break;
    }
    return none;
}

const OperationsViewController::DropCallback&
OperationsViewController::dropCallback(OperationsViewType zone) const {
    switch (zone) {
    case ViewType::resizeAndOptimize:
        return resizeAndOptimizeCallback;
    case ViewType::usePreviousSettings:
        return usePreviousSettingsCallback;
    default:
        return quickOptimizeCallback;
    }
}

void OperationsViewController::updateVisuals(OperationsViewType viewType,
                                             OperationsMouseState mouseState, bool isInBackground) {
    updateSeparators(viewType, mouseState);
    updateLabelColors(viewType, mouseState, isInBackground);
}

// The separator beside a zone that is dragged over or pressed goes, so that its colour runs to
// the window's edge.
void OperationsViewController::updateSeparators(OperationsViewType viewType,
                                                OperationsMouseState mouseState) {
    const QColor color = Palette::windowSeparator(operationsView()->palette());
    const bool marked = mouseState == MouseState::drag || mouseState == MouseState::click;
    const bool quickSeparator = !(marked && viewType == ViewType::quickOptimize);
    const bool resizeSeparator = !(marked && (viewType == ViewType::resizeAndOptimize ||
                                              viewType == ViewType::usePreviousSettings));
    quickOptimizeView()->setArtists(quickSeparator
                                        ? LayeredDrawingView::Artists{separator(true, color)}
                                        : LayeredDrawingView::Artists{});
    resizeAndOptimizeView()->setArtists(resizeSeparator
                                            ? LayeredDrawingView::Artists{separator(false, color)}
                                            : LayeredDrawingView::Artists{});
    usePreviousSettingsView()->setArtists({});
}

void OperationsViewController::updateLabelColors(OperationsViewType viewType,
                                                 OperationsMouseState mouseState,
                                                 bool isInBackground) {
    const QPalette& palette = operationsView()->palette();
    const bool dimmed = isInBackground && mouseState != MouseState::drag;
    const bool marked = mouseState == MouseState::drag || mouseState == MouseState::click;
    for (const auto zone :
         {ViewType::quickOptimize, ViewType::resizeAndOptimize, ViewType::usePreviousSettings}) {
        const QColor color = dimmed                         ? Palette::inactiveLabel()
                             : (marked && zone == viewType) ? Palette::windowLabelRollover(palette)
                                                            : Palette::activeLabel(palette);
        setTextFieldsColor(zoneView(zone), color);
    }
}

void OperationsViewController::updateCursor(OperationsMouseState mouseState) {
    QWidget* panel = operationsView();
    const QWidget* window = panel->window();
    const bool pointing = mouseState == MouseState::hover && window && window->isVisible() &&
                          window->windowOpacity() > 0.0 && isApplicationActive();
    panel->setCursor(pointing ? Qt::PointingHandCursor : Qt::ArrowCursor);
}

void OperationsViewController::setMouseState(OperationsMouseState mouseState,
                                             OperationsSectionView* view) {
    if (!isApplicationActive()) {
        return;
    }
    const auto zone = viewType(view);
    if (zone == ViewType::none) {
        setState(initialState());
    } else if (clickedCallback(zone)) {
        setState({zone, mouseState});
    }
}

void OperationsViewController::layoutQuickOptimizeBackgroundView(LayeredDrawingView* view) {
    layoutBackgroundView(view, ViewType::quickOptimize);
}

void OperationsViewController::layoutResizeAndOptimizeBackgroundView(LayeredDrawingView* view) {
    layoutBackgroundView(view, ViewType::resizeAndOptimize);
}

void OperationsViewController::layoutUsePreviousSettingsBackgroundView(LayeredDrawingView* view) {
    layoutBackgroundView(view, ViewType::usePreviousSettings);
}

// The backgrounds reach past their zones to the container's edges, so that the colour fills the
// window's rounded corners: the left column whole, the top right part from the top edge, the
// bottom right part from the bottom edge.
void OperationsViewController::layoutBackgroundView(LayeredDrawingView* view,
                                                    OperationsViewType zone) {
    QWidget* container = view->parentWidget();
    const OperationsSectionView* section = zoneView(zone);
    if (!container || !section->parentWidget()) {
        return;
    }
    const QWidget* window = section->window();
    if (window != container->window()) {
        return;
    }
    const QRect r(container->mapFrom(window, section->mapTo(window, QPoint(0, 0))),
                  section->size());
    const int w = container->width();
    const int h = container->height();
    const int right = r.x() + r.width();
    const int bottom = r.y() + r.height();
    switch (zone) {
    case ViewType::quickOptimize:
        view->setGeometry(0, 0, right, h);
        break;
    case ViewType::resizeAndOptimize:
        view->setGeometry(r.x(), 0, w - r.x(), bottom);
        break;
    default:
        view->setGeometry(r.x(), r.y(), w - r.x(), h - r.y());
        break;
    }
    view->setArtists({std::make_shared<ViewBackgroundLayeredArtist>(backgroundColor(zone))});
}

QColor OperationsViewController::backgroundColor(OperationsViewType zone) const {
    const QPalette& palette = operationsView()->palette();
    const QColor idle = Palette::windowBackground(palette);
    if (state_.viewType != zone) {
        return idle;
    }
    const QColor accent = zone == ViewType::quickOptimize ? Palette::quickOptimize(palette)
                          : zone == ViewType::resizeAndOptimize
                              ? Palette::resizeAndOptimize(palette)
                              : Palette::usePreviousSettings(palette);
    const QColor hover = zone == ViewType::quickOptimize ? Palette::quickOptimizeHover(palette)
                         : zone == ViewType::resizeAndOptimize
                             ? Palette::resizeAndOptimizeHover(palette)
                             : Palette::usePreviousSettingsHover(palette);
    switch (state_.mouseState) {
    case MouseState::drag:
        return accent;
    case MouseState::click:
        return isInBackground_ ? idle : accent;
    case MouseState::hover:
        return isInBackground_ ? idle : hover;
    case MouseState::none:
        break;
    }
    return idle;
}

bool OperationsViewController::isDragAccepted(const QDropEvent* info) const {
    return !isDragAcceptedCallback || isDragAcceptedCallback(info ? info->mimeData() : nullptr);
}

int OperationsViewController::sectionViewDraggingEntered(OperationsSectionView* view,
                                                         QDropEvent* info) {
    dragging_ = true;
    windowDragTracker_.dragEntered(view);
    if (!isDragAccepted(info)) {
        return genericDragOperation;
    }
    if (controllerStartedDragCallback) {
        controllerStartedDragCallback(*this);
    }
    setState({viewType(view), MouseState::drag});
    return genericDragOperation;
}

bool OperationsViewController::sectionViewDraggingUpdated(OperationsSectionView* view,
                                                          QDropEvent* info) {
    return isDragAccepted(info) && viewType(view) != ViewType::none;
}

// A drag that leaves a zone for another part of the panel's window keeps the zone's colour and
// stays a drag: only leaving the window ends it for the panel.
void OperationsViewController::sectionViewDraggingExited(OperationsSectionView*) {
    if (!windowDragTracker_.isDragOverWindow()) {
        dragLeftWindow();
    }
}

void OperationsViewController::dragLeftWindow() {
    dragging_ = false;
    setState(initialState());
}

bool OperationsViewController::sectionViewPrepareForDragOperation(OperationsSectionView* view,
                                                                  QDropEvent* info) {
    if (!isDragAccepted(info)) {
        return false;
    }
    const auto zone = viewType(view);
    setState({zone, MouseState::drag});
    return zone != ViewType::none;
}

bool OperationsViewController::sectionViewPerformDragOperation(OperationsSectionView* view,
                                                               QDropEvent* info) {
    if (!isDragAccepted(info)) {
        return false;
    }
    const auto zone = viewType(view);
    setState({zone, MouseState::drag});
    if (zone == ViewType::none) {
        return false;
    }
    // On the next turn: a dialog must never run inside the drop.
    if (const auto& callback = dropCallback(zone)) {
        MainQueue::async([callback, urls = fileURLsFromPasteboard(
                                        info ? info->mimeData() : nullptr)] { callback(urls); });
    }
    return true;
}

void OperationsViewController::sectionViewDraggingEnded(OperationsSectionView*) {
    dragging_ = false;
    setState(initialState());
}

void OperationsViewController::sectionViewMouseDown(OperationsSectionView* view) {
    setMouseState(MouseState::click, view);
}

void OperationsViewController::sectionViewMouseUp(OperationsSectionView*) {
    const auto zone = state_.viewType;
    setState(initialState());
    if (zone != ViewType::none) {
        if (const auto callback = clickedCallback(zone)) {
            callback();
        }
    }
}

void OperationsViewController::sectionViewMouseEntered(OperationsSectionView* view) {
    if (view->clicking()) {
        setMouseState(MouseState::click, view);
    } else if (!isAnySectionClicking() && !dragging_) {
        setMouseState(MouseState::hover, view);
    }
    updateCursor(state_.mouseState);
}

void OperationsViewController::sectionViewMouseMoved(OperationsSectionView* view) {
    updateCursor(state_.mouseState);
    if (isApplicationActive() && !dragging_ && !isAnySectionClicking() &&
        QGuiApplication::mouseButtons() == Qt::NoButton) {
        setMouseState(MouseState::hover, view);
    }
}

void OperationsViewController::sectionViewMouseExited(OperationsSectionView*) {
    if (state_.mouseState == MouseState::drag) {
        return;
    }
    setState(initialState());
    updateCursor(state_.mouseState);
}

} // namespace orlix
