#include "UI/Preferences/GeneralPreferencesViewController.h"

#include "Model/Preferences.h"
#include "Platform/UserDefaults.h"
#include "Shared/SharedDefinitions.h"
#include "UI/LocalizedText.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace orlix {

namespace {

std::shared_ptr<UserDefaults> helperDefaults() {
    return UserDefaults::suite(helperBundleIdentifier);
}

QLabel* noteLabel(const QString& text) {
    auto* label = new QLabel(text);
    label->setWordWrap(true);
    QFont font = label->font();
    font.setPointSizeF(font.pointSizeF() * 0.85);
    label->setFont(font);
    label->setForegroundRole(QPalette::PlaceholderText);
    return label;
}

} // namespace

GeneralPreferencesViewController::GeneralPreferencesViewController(bool waylandSession) {
    loadView(waylandSession);
    viewDidLoad();
}

GeneralPreferencesViewController::~GeneralPreferencesViewController() {
    delete view_.data();
}

void GeneralPreferencesViewController::loadView(bool waylandSession) {
    view_ = new QWidget;
    auto* form = new QFormLayout(view_);
    form->setLabelAlignment(Qt::AlignRight);
    form->setFormAlignment(Qt::AlignLeft | Qt::AlignTop);
    form->setFieldGrowthPolicy(QFormLayout::FieldsStayAtSizeHint);
    form->setContentsMargins(20, 20, 20, 20);
    form->setVerticalSpacing(12);
    form->addRow(localizedText("Drop zones:", "Preferences - label of the drag panel settings"),
                 dragSection(waylandSession));

    resolutionsPopUpButton_ = new QComboBox;
    resolutionsPopUpButton_->addItems(
        {localizedText("@3x, @2x and @1x", "Preferences - output resolutions item"),
         localizedText("@2x and @1x", "Preferences - output resolutions item")});
    QObject::connect(resolutionsPopUpButton_, &QComboBox::activated, view_,
                     [this] { resolutionsPopUpChanged(); });
    form->addRow(localizedText("Output &resolutions:", "Preferences - label"),
                 resolutionsPopUpButton_);

    performancePopUpButton_ = new QComboBox;
    performancePopUpButton_->addItems({localizedText("High", "Preferences - performance item"),
                                       localizedText("Normal", "Preferences - performance item"),
                                       localizedText("Low", "Preferences - performance item")});
    performancePopUpButton_->setToolTip(
        localizedText("How many images Orlix processes at once", "Preferences - performance hint"));
    QObject::connect(performancePopUpButton_, &QComboBox::activated, view_,
                     [this] { performancePopUpChanged(); });
    form->addRow(localizedText("&Performance:", "Preferences - label"), performancePopUpButton_);
}

QWidget* GeneralPreferencesViewController::dragSection(bool waylandSession) {
    auto* section = new QWidget;
    auto* layout = new QVBoxLayout(section);
    layout->setContentsMargins(0, 0, 0, 0);
    showUIOnImageFileDragCheckbox_ = new QCheckBox(
        localizedText("&Show them under the pointer when image files are dragged anywhere on the "
                      "screen",
                      "Preferences - drag panel checkbox"));
    QObject::connect(showUIOnImageFileDragCheckbox_, &QCheckBox::clicked, view_,
                     [this] { doClickShowUIOnImageFileDragCheckbox(); });
    layout->addWidget(showUIOnImageFileDragCheckbox_);
    if (waylandSession) {
        x11SessionNote_ = noteLabel(
            localizedText("The drop zones need an X11 session: in a Wayland session no program "
                          "may see the drags of another.",
                          "Preferences - note below the drag panel checkbox"));
        layout->addWidget(x11SessionNote_);
    }
    layout->addWidget(modifierKeysRow());
    return section;
}

QWidget* GeneralPreferencesViewController::modifierKeysRow() {
    auto* row = new QWidget;
    auto* layout = new QHBoxLayout(row);
    // Under the text of the checkbox they depend on.
    layout->setContentsMargins(22, 0, 0, 0);
    layout->addWidget(new QLabel(
        localizedText("Only while holding:", "Preferences - label of the modifier keys")));
    dragModifierOptionCheckbox_ = modifierCheckbox("&Alt");
    dragModifierCommandCheckbox_ = modifierCheckbox("&Ctrl");
    dragModifierShiftCheckbox_ = modifierCheckbox("S&hift");
    dragModifierControlCheckbox_ = modifierCheckbox("S&uper");
    for (auto* checkbox :
         {dragModifierOptionCheckbox_.data(), dragModifierCommandCheckbox_.data(),
          dragModifierShiftCheckbox_.data(), dragModifierControlCheckbox_.data()}) {
        layout->addWidget(checkbox);
    }
    layout->addStretch();
    return row;
}

QCheckBox* GeneralPreferencesViewController::modifierCheckbox(const char* title) {
    auto* checkbox = new QCheckBox(localizedText(title, "Preferences - modifier key checkbox"));
    QObject::connect(checkbox, &QCheckBox::clicked, view_,
                     [this] { doClickModifierKeyCheckbox(); });
    return checkbox;
}

void GeneralPreferencesViewController::viewDidLoad() {
    const bool show = showUIOnImageFileDragDefault();
    showUIOnImageFileDragCheckbox_->setChecked(show);
    const DragUIModifierKeys mask = dragUIModifierKeysDefault();
    dragModifierOptionCheckbox_->setChecked(mask.contains(DragUIModifierKeys::option));
    dragModifierCommandCheckbox_->setChecked(mask.contains(DragUIModifierKeys::command));
    dragModifierShiftCheckbox_->setChecked(mask.contains(DragUIModifierKeys::shift));
    dragModifierControlCheckbox_->setChecked(mask.contains(DragUIModifierKeys::control));
    updateModifierCheckboxesEnabled(show, mask);
    const Preferences preferences = Preferences::load();
    resolutionsPopUpButton_->setCurrentIndex(int(preferences.resolutions));
    performancePopUpButton_->setCurrentIndex(int(preferences.performance));
}

void GeneralPreferencesViewController::updateModifierCheckboxesEnabled(bool showUIOnImageFileDrag,
                                                                       DragUIModifierKeys mask) {
    const std::pair<QCheckBox*, std::int64_t> checkboxes[] = {
        {dragModifierOptionCheckbox_, DragUIModifierKeys::option},
        {dragModifierCommandCheckbox_, DragUIModifierKeys::command},
        {dragModifierShiftCheckbox_, DragUIModifierKeys::shift},
        {dragModifierControlCheckbox_, DragUIModifierKeys::control}};
    for (const auto& [checkbox, key] : checkboxes) {
        checkbox->setEnabled(showUIOnImageFileDrag && mask.rawValue() != key);
    }
}

void GeneralPreferencesViewController::doClickShowUIOnImageFileDragCheckbox() {
    // The helper takes an absent mask for "no key", this pane for Ctrl alone: the mask is
    // written first, so that the helper never shows the drop zones on other keys than the pane.
    const auto helper = helperDefaults();
    if (helper && !helper->objectForKey(dragUIModifierKeysDefaultsKey)) {
        setDragUIModifierKeysDefault(DragUIModifierKeys::defaultKeys());
    }
    const bool show = showUIOnImageFileDragCheckbox_->isChecked();
    setShowUIOnImageFileDragDefault(show);
    updateModifierCheckboxesEnabled(show, dragUIModifierKeysDefault());
}

void GeneralPreferencesViewController::doClickModifierKeyCheckbox() {
    setDragUIModifierKeysDefault(checkedModifierKeys());
    updateModifierCheckboxesEnabled(showUIOnImageFileDragCheckbox_->isChecked(),
                                    dragUIModifierKeysDefault());
}

DragUIModifierKeys GeneralPreferencesViewController::checkedModifierKeys() const {
    return DragUIModifierKeys(
        dragModifierOptionCheckbox_->isChecked(), dragModifierCommandCheckbox_->isChecked(),
        dragModifierShiftCheckbox_->isChecked(), dragModifierControlCheckbox_->isChecked());
}

void GeneralPreferencesViewController::resolutionsPopUpChanged() {
    Preferences preferences = Preferences::load();
    preferences.resolutions = resolutionsForItem(resolutionsPopUpButton_->currentIndex());
    preferences.save();
}

void GeneralPreferencesViewController::performancePopUpChanged() {
    Preferences preferences = Preferences::load();
    preferences.performance = performanceForItem(performancePopUpButton_->currentIndex());
    preferences.save();
}

bool GeneralPreferencesViewController::showUIOnImageFileDragDefault() {
    const auto helper = helperDefaults();
    return helper && helper->boolForKey(showUIOnImageFileDragDefaultsKey);
}

void GeneralPreferencesViewController::setShowUIOnImageFileDragDefault(bool show) {
    if (const auto helper = helperDefaults()) {
        helper->setObject(PropertyList(show), showUIOnImageFileDragDefaultsKey);
    }
}

DragUIModifierKeys GeneralPreferencesViewController::dragUIModifierKeysDefault() {
    const auto helper = helperDefaults();
    if (!helper || !helper->objectForKey(dragUIModifierKeysDefaultsKey)) {
        return DragUIModifierKeys::defaultKeys();
    }
    return DragUIModifierKeys(helper->integerForKey(dragUIModifierKeysDefaultsKey));
}

void GeneralPreferencesViewController::setDragUIModifierKeysDefault(DragUIModifierKeys keys) {
    if (const auto helper = helperDefaults()) {
        helper->setObject(PropertyList(keys.rawValue()), dragUIModifierKeysDefaultsKey);
    }
}

OutputResolutionsPreference GeneralPreferencesViewController::resolutionsForItem(int index) {
    switch (index) {
    case 0:
        return OutputResolutionsPreference::x3x2x1;
    case 1:
        return OutputResolutionsPreference::x2x1;
    default:
        return Preferences::defaultResolutions();
    }
}

PerformancePreference GeneralPreferencesViewController::performanceForItem(int index) {
    switch (index) {
    case 0:
        return PerformancePreference::high;
    case 1:
        return PerformancePreference::normal;
    case 2:
        return PerformancePreference::low;
    default:
        return Preferences::defaultPerformance();
    }
}

bool GeneralPreferencesViewController::isWaylandSession() {
    return qEnvironmentVariable("XDG_SESSION_TYPE") == QStringLiteral("wayland") ||
           !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
}

} // namespace orlix
