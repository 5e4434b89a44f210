#pragma once

#include "platform/core/TextEncoding.h"
#include "platform/ui/ViewController.h"

#include <QList>
#include <QPointer>

class QComboBox;
class QLabel;
class QPushButton;
class QTableWidget;

namespace tessarin {

// One encoding the platform offers, and whether the user ticked it for the popup.
struct EncodingRecord {
    bool checkBox = false;
    TextEncoding::Constant nsEncoding = TextEncoding::Automatic;
    QString encodingName; // as shown, in the interface language
    QString storedName;   // the English name kept under "Encodings"
};

// The "Encoding:" row of the open panels: "Automatic", the ticked encodings and
// "Customize Encoding List…", which opens a panel listing every encoding with a tick box.
// The ticks are kept in the user defaults under "Encodings" by their English names, so
// they survive a change of interface language.
class EncodingAccessory : public ::ViewController {
    Q_OBJECT
public:
    explicit EncodingAccessory(QObject *parent = nullptr);
    ~EncodingAccessory() override;

    QList<EncodingRecord> &encodingTable() { return encodingTable_; }
    int accessoryType() const { return accessoryType_; }

    QComboBox *encodingTypePopup();
    QLabel *encodingTypePopupTitle();
    QWidget *encodingListPanel();
    QTableWidget *tableView();
    QPushButton *selectAllButton();
    QPushButton *clearAllButton();
    QPushButton *revertButton();
    QPushButton *closeButton();

    void initEncodings();
    void setEncodingOnly();
    void defaultEncodings();
    void clearAllEncodings();
    void saveEncodings();
    void setupEncodingPopup();
    void updateEncodingPopup(const EncodingRecord &record);
    TextEncoding::Constant encodingType();
    void resetMenu();
    void requestClose();
    void encodingTypePopupSelected(int index);
    void buttonsPressed(QPushButton *button);

    // The search word of the default set for a language code: "Western" for the western
    // European languages, else the language's English name ("Japanese"); empty when the
    // code names no language.
    static QString defaultSearchWord(const QString &languageCode);

protected:
    QWidget *loadView() override;
    void viewDidLoad() override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void makeEncodingListPanel();
    void reloadTable();
    void selectDefaultItem();
    void insertAutomatic();

    QList<EncodingRecord> encodingTable_;
    int accessoryType_ = 0;
    TextEncoding::Constant encoding_ = TextEncoding::Automatic;
    QString utf8LocalizedName_;
    QPointer<QComboBox> encodingTypePopup_;
    QPointer<QLabel> encodingTypePopupTitle_;
    QPointer<QWidget> encodingListPanel_;
    QPointer<QTableWidget> tableView_;
    QPointer<QPushButton> selectAllButton_;
    QPointer<QPushButton> clearAllButton_;
    QPointer<QPushButton> revertButton_;
    QPointer<QPushButton> closeButton_;
    bool reloading_ = false;
};

} // namespace tessarin
