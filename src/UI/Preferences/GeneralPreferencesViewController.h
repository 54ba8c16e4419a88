#pragma once

#include "Model/OutputResolutionsPreference.h"
#include "Model/PerformancePreference.h"
#include "Shared/DragUIModifierKeys.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPointer>
#include <QWidget>

namespace orlix {

// The General pane of the preferences: whether the helper shows its drop zones while image files
// are dragged anywhere on the screen and which keys must be held for it (both in the helper's
// domain, which the helper reads), which output resolutions a resolution option produces and how
// many images are processed at once (both in Orlix's preferences). Every change is written at
// once; there is no OK or Cancel. Main thread only.
class GeneralPreferencesViewController {
public:
    // In a Wayland session the pane says that the drop zones need an X11 session.
    explicit GeneralPreferencesViewController(bool waylandSession = isWaylandSession());
    ~GeneralPreferencesViewController();
    GeneralPreferencesViewController(const GeneralPreferencesViewController&) = delete;
    GeneralPreferencesViewController& operator=(const GeneralPreferencesViewController&) = delete;

    QWidget* view() const { return view_; }

    // Shows what is stored now.
    void viewDidLoad();

    // The controls' actions; each runs after its control took the user's choice.
    void doClickShowUIOnImageFileDragCheckbox();
    void doClickModifierKeyCheckbox();
    void resolutionsPopUpChanged();
    void performancePopUpChanged();

    // The four modifier boxes are enabled while the drop zones are on, except the one key that
    // is the only one required, which cannot be switched off.
    void updateModifierCheckboxesEnabled(bool showUIOnImageFileDrag, DragUIModifierKeys mask);

    // The helper's two values; each access reads or writes the helper's domain anew. Reads give
    // off and Ctrl alone, and writes are dropped, when the domain cannot be opened.
    static bool showUIOnImageFileDragDefault();
    static void setShowUIOnImageFileDragDefault(bool show);
    static DragUIModifierKeys dragUIModifierKeysDefault();
    static void setDragUIModifierKeysDefault(DragUIModifierKeys keys);

    // The pop-ups' items, in the order they are listed; other indexes give the defaults.
    static OutputResolutionsPreference resolutionsForItem(int index);
    static PerformancePreference performanceForItem(int index);

    static bool isWaylandSession();

    QCheckBox* showUIOnImageFileDragCheckbox() const { return showUIOnImageFileDragCheckbox_; }
    QLabel* x11SessionNote() const { return x11SessionNote_; }
    QCheckBox* dragModifierOptionCheckbox() const { return dragModifierOptionCheckbox_; }
    QCheckBox* dragModifierCommandCheckbox() const { return dragModifierCommandCheckbox_; }
    QCheckBox* dragModifierShiftCheckbox() const { return dragModifierShiftCheckbox_; }
    QCheckBox* dragModifierControlCheckbox() const { return dragModifierControlCheckbox_; }
    QComboBox* resolutionsPopUpButton() const { return resolutionsPopUpButton_; }
    QComboBox* performancePopUpButton() const { return performancePopUpButton_; }

private:
    void loadView(bool waylandSession);
    QWidget* dragSection(bool waylandSession);
    QWidget* modifierKeysRow();
    QCheckBox* modifierCheckbox(const char* title);
    DragUIModifierKeys checkedModifierKeys() const;

    QPointer<QWidget> view_;
    QPointer<QCheckBox> showUIOnImageFileDragCheckbox_;
    QPointer<QLabel> x11SessionNote_;
    QPointer<QCheckBox> dragModifierOptionCheckbox_;
    QPointer<QCheckBox> dragModifierCommandCheckbox_;
    QPointer<QCheckBox> dragModifierShiftCheckbox_;
    QPointer<QCheckBox> dragModifierControlCheckbox_;
    QPointer<QComboBox> resolutionsPopUpButton_;
    QPointer<QComboBox> performancePopUpButton_;
};

} // namespace orlix
