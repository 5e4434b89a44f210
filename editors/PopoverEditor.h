#pragma once

#include "editors/EditorContext.h"
#include "platform/ui/Popover.h"
#include "platform/ui/ViewController.h"

#include <QPointer>
#include <QRect>
#include <QSize>

class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;

// The frame every popover editor of a contact field shares: the contact's picture and
// name line on top, the separator that is red while editing, the editor's own controls,
// then Edit, Cancel and Done. An editor is opened with openInPopover (or the same steps
// by hand: setPopover, content, show, then setContextInfo last) and hands its answer back
// through the context, which its opener reads when the popover has closed.
//
// Edit state: the Edit button toggles between editing ("Lock"; Done reads "Change" or
// "Add" and waits for a change; Cancel shown) and locked ("Edit"; Done reads "Done" and
// only closes; Cancel hidden). Done while editing writes the answer and "dirty" into the
// context before the popover closes, so the close notice finds it.
class PopoverEditor : public ViewController {
    Q_OBJECT
public:
    // Where an editor departs from the common frame.
    struct Departures {
        // Anything but editEnabled true starts the editor locked with Edit disabled;
        // otherwise Edit stays enabled and the opener's edit state is the first state. An
        // editor that does not read it is gated only by an explicit false (a locked opener).
        bool readsEditEnabled = true;
        // Done reads "Add" while editing a value asked for with labelIndex -1.
        bool addsNewValues = false;
        // Cancel writes "dirty" false (otherwise it leaves "dirty" unset).
        bool cancelWritesNotDirty = false;
        // Return presses Done after a change, and from whenever the Edit button's action runs.
        bool returnAfterChange = true;
        bool returnAfterEditButton = false;
        // Every change is applied at once (the name editor): Done always reads "Done",
        // stays enabled and only closes, and there is no Cancel.
        bool appliesAtOnce = false;

        // The editors of one labeled value (instant message, social profile, address):
        // they ignore editEnabled but an explicit false, say "Add" for a new value and
        // Cancel says "not dirty".
        static Departures oneLabeledValue() {
            Departures departures;
            departures.readsEditEnabled = false;
            departures.addsNewValues = true;
            departures.cancelWritesNotDirty = true;
            return departures;
        }
        // The editors whose text fields commit with Return (the date editors): Done takes
        // Return from the Edit button on, not from a change.
        static Departures returnCommitsFields() {
            Departures departures;
            departures.returnAfterChange = false;
            departures.returnAfterEditButton = true;
            return departures;
        }
    };

    ~PopoverEditor() override;

    // The popover hosting the editor, closed by Done and Cancel.
    Popover *popover() const { return popover_; }
    void setPopover(Popover *popover) { popover_ = popover; }
    const SharedEditorContext &contextInfo() const { return contextInfo_; }
    // Stores the context, shows the contact and its value, and sets the first edit state
    // from `editable`, the opener's own edit state. Call it after the popover is shown.
    void setContextInfo(SharedEditorContext context, bool editable);

    // The opener's steps in their order: a transient popover with `delegate`, this editor
    // as its content at `contentSize`, shown below `rect` of `view`, then the context.
    // The popover belongs to `owner`; the opener lets it go (deleteLater) when it closes.
    Popover *openInPopover(SharedEditorContext context, bool editable, QSize contentSize, const QRect &rect,
                           QWidget *view, PopoverDelegate *delegate, QObject *owner);
    // The context of a closed popover's editor when it hands back a change, else null.
    static SharedEditorContext answerOf(const Popover *popover);

    // The bold line naming the contact above an editor (and above the contact popover's
    // table), and the separator below it: 2 wide and red while editing, gray when locked.
    static QLineEdit *makeContactNameField();
    static QFrame *makeSeparator();
    static void showEditStateInSeparator(QFrame *separator, bool editing);

    bool isEditing() const;
    // Whether Return now presses Done.
    bool doneKeyEquivalent() const { return doneKeyEquivalent_; }

    QLineEdit *contactNameField() const { return contactNameField_; }
    QLabel *imageView() const { return imageView_; }
    QFrame *redSeparator() const { return redSeparator_; }
    QPushButton *editButton() const { return editButton_; }
    QPushButton *doneButton() const { return doneButton_; }
    QPushButton *cancelButton() const { return cancelButton_; }

protected:
    explicit PopoverEditor(Departures departures, QObject *parent = nullptr);

    QWidget *loadView() override;
    // The editor's own controls, between the separator and the buttons.
    virtual QWidget *makeBody() = 0;
    // The picture beside the name line; the default is imageView, showing the thumbnail.
    virtual QWidget *makePictureView();
    // Reads the context's contact and value into the controls (signals blocked: filling
    // is no user edit). `editable` is the opener's edit state.
    virtual void fillFromContext(bool editable) = 0;
    // After setContextInfo has filled the controls and set the first edit state.
    virtual void didSetContextInfo() {}
    // Enables the editor's own inputs for the state; runs on every Edit press.
    virtual void showEditState(bool editing) = 0;
    // Done while editing: writes the answer into the context (answer() sets "value" and
    // "dirty"). Returning false refuses: the editor stays open.
    virtual bool writeAnswer(EditorContext &context) = 0;
    // After Done and Cancel, when the popover has closed.
    virtual void clearFields() {}

    // A user's change: Done becomes enabled (and takes Return, where the editor wants it).
    void noteChange();
    void setDoneKeyEquivalent(bool on);
    // Return in this field, or in a field inside it (a table's cell editors), is the
    // field's own (it commits the field) and never presses Done.
    void keepReturn(QWidget *field);
    static void answer(EditorContext &context, FieldValue value);
    // A text shown, never edited: no frame, no field background, no focus.
    static void showAsLabel(QLineEdit *field);
    // The context's contact record (null before setContextInfo).
    QMPerson *person() const;
    // The Edit button's action: shows the state the button is in.
    void applyEditState();

private:
    void done();
    void cancel();
    void closePopover();
    bool returnPressed();
    friend class PopoverEditorView;

    Departures departures_;
    QPointer<Popover> popover_;
    SharedEditorContext contextInfo_;
    bool doneKeyEquivalent_ = false;
    QList<QPointer<QWidget>> fieldsKeepingReturn_;

    QLineEdit *contactNameField_ = nullptr;
    QLabel *imageView_ = nullptr;
    QFrame *redSeparator_ = nullptr;
    QPushButton *editButton_ = nullptr;
    QPushButton *doneButton_ = nullptr;
    QPushButton *cancelButton_ = nullptr;
};
