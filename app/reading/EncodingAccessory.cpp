#include "app/reading/EncodingAccessory.h"

#include "app/reading/PanelWindow.h"

#include "platform/core/Localization.h"
#include "platform/core/UserDefaults.h"

#include <QComboBox>
#include <QEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QKeyEvent>
#include <QTableWidget>
#include <QVBoxLayout>

namespace tessarin {

namespace {
const QString kEncodingsKey = QStringLiteral("Encodings");

QString automaticTitle() {
    return L("Automatic");
}

QString customizeTitle() {
    return L("Customize Encoding List…");
}
} // namespace

EncodingAccessory::EncodingAccessory(QObject *parent)
    : ::ViewController(parent) {
    initEncodings();
}

EncodingAccessory::~EncodingAccessory() {
    if (encodingListPanel_) {
        encodingListPanel_->removeEventFilter(this);
        delete encodingListPanel_.data();
    }
}

void EncodingAccessory::initEncodings() {
    encodingTable_.clear();
    for (const TextEncoding::Info &info : TextEncoding::availableEncodings())
        encodingTable_.append({false, info.constant, TextEncoding::localizedName(info.constant),
                               QString::fromLatin1(info.name)});
}

QWidget *EncodingAccessory::loadView() {
    auto *view = new QWidget;
    auto *row = new QHBoxLayout(view);
    row->setContentsMargins(0, 4, 0, 4);
    encodingTypePopupTitle_ = new QLabel;
    encodingTypePopup_ = new QComboBox;
    encodingTypePopup_->setMinimumContentsLength(24);
    encodingTypePopup_->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    encodingTypePopupTitle_->setBuddy(encodingTypePopup_);
    row->addStretch();
    row->addWidget(encodingTypePopupTitle_);
    row->addWidget(encodingTypePopup_);
    row->addStretch();
    connect(encodingTypePopup_, &QComboBox::activated, this, &EncodingAccessory::encodingTypePopupSelected);
    makeEncodingListPanel();
    return view;
}

void EncodingAccessory::makeEncodingListPanel() {
    // A window of its own, as it outlives the open panel it was opened from.
    encodingListPanel_ = new QWidget(nullptr, Qt::Dialog);
    encodingListPanel_->setWindowTitle(L("Customize Encoding List"));
    auto *layout = new QVBoxLayout(encodingListPanel_);
    layout->addWidget(new QLabel(L("Select the encodings to show in the Encoding popup.")));
    tableView_ = new QTableWidget(0, 2);
    tableView_->setHorizontalHeaderLabels({QString(), L("Encoding")});
    tableView_->horizontalHeader()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    tableView_->horizontalHeader()->setStretchLastSection(true);
    tableView_->verticalHeader()->hide();
    tableView_->verticalHeader()->setDefaultSectionSize(tableView_->fontMetrics().height() + 6);
    tableView_->setSelectionMode(QAbstractItemView::NoSelection);
    tableView_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    layout->addWidget(tableView_);
    auto *buttons = new QHBoxLayout;
    selectAllButton_ = new QPushButton(L("Select All"));
    clearAllButton_ = new QPushButton(L("Clear All"));
    revertButton_ = new QPushButton(L("Revert"));
    for (QPushButton *button : {selectAllButton_.data(), clearAllButton_.data(), revertButton_.data()}) {
        button->setAutoDefault(false);
        buttons->addWidget(button);
        connect(button, &QPushButton::clicked, this, [this, button] { buttonsPressed(button); });
    }
    buttons->addStretch();
    // A window of its own needs its own way out: Close, and Escape as in any panel.
    closeButton_ = new QPushButton(L("Close"));
    closeButton_->setDefault(true);
    buttons->addWidget(closeButton_);
    connect(closeButton_, &QPushButton::clicked, encodingListPanel_, &QWidget::close);
    layout->addLayout(buttons);
    encodingListPanel_->resize(360, 480);
    encodingListPanel_->installEventFilter(this);
    connect(tableView_, &QTableWidget::itemChanged, this, [this](QTableWidgetItem *item) {
        if (reloading_ || item->column() != 0 || item->row() >= encodingTable_.size())
            return;
        EncodingRecord &record = encodingTable_[item->row()];
        record.checkBox = item->checkState() == Qt::Checked;
        updateEncodingPopup(record);
    });
}

void EncodingAccessory::viewDidLoad() {
    encodingTypePopupTitle_->setText(L("Encoding:"));
    const QStringList saved = UserDefaults::standard().object(kEncodingsKey).toStringList();
    if (saved.isEmpty()) {
        defaultEncodings();
    } else {
        for (const QString &name : saved) {
            // UTF-8 comes along with any name found below it.
            for (qsizetype i = 0; i < encodingTable_.size(); ++i) {
                if (encodingTable_[i].storedName != name)
                    continue;
                encodingTable_[i].checkBox = true;
                for (qsizetype j = 0; j < i; ++j)
                    if (encodingTable_[j].nsEncoding == TextEncoding::UTF8)
                        encodingTable_[j].checkBox = true;
                break;
            }
        }
    }
    setupEncodingPopup();
    reloadTable();
    requestClose();
}

QComboBox *EncodingAccessory::encodingTypePopup() {
    view();
    return encodingTypePopup_;
}

QLabel *EncodingAccessory::encodingTypePopupTitle() {
    view();
    return encodingTypePopupTitle_;
}

QWidget *EncodingAccessory::encodingListPanel() {
    view();
    return encodingListPanel_;
}

QTableWidget *EncodingAccessory::tableView() {
    view();
    return tableView_;
}

QPushButton *EncodingAccessory::selectAllButton() {
    view();
    return selectAllButton_;
}

QPushButton *EncodingAccessory::clearAllButton() {
    view();
    return clearAllButton_;
}

QPushButton *EncodingAccessory::closeButton() {
    view();
    return closeButton_;
}

QPushButton *EncodingAccessory::revertButton() {
    view();
    return revertButton_;
}

void EncodingAccessory::insertAutomatic() {
    // One item per title.
    const int existing = encodingTypePopup_->findText(automaticTitle());
    if (existing >= 0)
        encodingTypePopup_->removeItem(existing);
    encodingTypePopup_->insertItem(0, automaticTitle());
}

void EncodingAccessory::setEncodingOnly() {
    QWidget *accessory = view();
    accessoryType_ = 1;
    accessory->setFixedHeight(36);
    insertAutomatic();
    encodingTypePopup_->setCurrentIndex(0);
}

QString EncodingAccessory::defaultSearchWord(const QString &languageCode) {
    static const QStringList western = {"en", "de", "fr", "es", "it", "nl"};
    if (western.contains(languageCode))
        return QStringLiteral("Western");
    // The encodings' names are English, so the language is looked for by its English name.
    const QLocale::Language language = QLocale::codeToLanguage(languageCode);
    if (language == QLocale::AnyLanguage || language == QLocale::C)
        return QString();
    return QLocale::languageToString(language);
}

void EncodingAccessory::defaultEncodings() {
    for (EncodingRecord &record : encodingTable_)
        record.checkBox =
            record.nsEncoding == TextEncoding::UTF8 || record.nsEncoding == TextEncoding::UTF16BigEndian;
    const QStringList languages = preferredLanguages().mid(0, 2);
    for (const QString &language : languages) {
        const QString word = defaultSearchWord(language.left(2));
        if (word.isEmpty())
            continue;
        for (EncodingRecord &record : encodingTable_)
            if (record.storedName.contains(word))
                record.checkBox = true;
    }
    static const QStringList excluded = {"Western (ASCII)", "Western (Mac Mail)", "Western (NextStep)",
                                         "Western (EBCDIC Latin Core)", "Western (EBCDIC Latin 1)"};
    for (EncodingRecord &record : encodingTable_)
        if (excluded.contains(record.storedName))
            record.checkBox = false;
}

void EncodingAccessory::clearAllEncodings() {
    for (EncodingRecord &record : encodingTable_)
        record.checkBox = false;
}

void EncodingAccessory::saveEncodings() {
    QStringList names;
    for (const EncodingRecord &record : encodingTable_)
        if (record.checkBox)
            names.append(record.storedName);
    UserDefaults::standard().setObject(names, kEncodingsKey);
}

void EncodingAccessory::setupEncodingPopup() {
    QComboBox *popup = encodingTypePopup();
    popup->clear();
    for (const EncodingRecord &record : encodingTable_) {
        if (record.nsEncoding == TextEncoding::UTF8)
            utf8LocalizedName_ = record.encodingName;
        if (record.checkBox)
            popup->addItem(record.encodingName, QVariant::fromValue(record.nsEncoding));
    }
    if (accessoryType_ == 1)
        insertAutomatic();
    popup->insertSeparator(popup->count());
    popup->addItem(customizeTitle());
    selectDefaultItem();
}

void EncodingAccessory::selectDefaultItem() {
    QComboBox *popup = encodingTypePopup();
    if (accessoryType_ == 1) {
        popup->setCurrentIndex(popup->findText(automaticTitle()));
        return;
    }
    const int utf8 = utf8LocalizedName_.isEmpty() ? -1 : popup->findText(utf8LocalizedName_);
    popup->setCurrentIndex(utf8 >= 0 ? utf8 : 0);
}

void EncodingAccessory::updateEncodingPopup(const EncodingRecord &record) {
    QComboBox *popup = encodingTypePopup();
    if (record.encodingName.isEmpty())
        return;
    if (record.checkBox) {
        const int at = accessoryType_ == 1 ? 1 : 0;
        if (popup->findText(record.encodingName) < 0)
            popup->insertItem(at, record.encodingName, QVariant::fromValue(record.nsEncoding));
        popup->setCurrentIndex(popup->findText(record.encodingName));
    } else {
        const int index = popup->findText(record.encodingName);
        if (index >= 0)
            popup->removeItem(index);
        popup->setCurrentIndex(0);
    }
}

TextEncoding::Constant EncodingAccessory::encodingType() {
    QComboBox *popup = encodingTypePopup();
    const int index = popup->currentIndex();
    if (index < 0) {
        if (accessoryType_ == 0)
            encoding_ = TextEncoding::Automatic;
        return encoding_;
    }
    if (popup->itemText(index) == automaticTitle())
        return TextEncoding::Automatic;
    const QVariant carried = popup->itemData(index);
    if (!carried.isValid()) // "Customize Encoding List…"
        return TextEncoding::Automatic;
    encoding_ = carried.value<TextEncoding::Constant>();
    return encoding_;
}

void EncodingAccessory::resetMenu() {
    selectDefaultItem();
}

void EncodingAccessory::requestClose() {
    if (encodingListPanel_ && encodingListPanel_->isVisible())
        encodingListPanel_->close();
}

void EncodingAccessory::encodingTypePopupSelected(int index) {
    if (encodingTypePopup()->itemText(index) != customizeTitle())
        return;
    // Usable above the open panel's modal run.
    encodingListPanel_->setWindowModality(Qt::ApplicationModal);
    if (!encodingListPanel_->isVisible())
        centreWindow(encodingListPanel_, encodingTypePopup_->window());
    encodingListPanel_->show();
    encodingListPanel_->raise();
    encodingListPanel_->activateWindow();
}

void EncodingAccessory::buttonsPressed(QPushButton *button) {
    if (button == selectAllButton_) {
        for (EncodingRecord &record : encodingTable_)
            record.checkBox = true;
        setupEncodingPopup();
    } else if (button == clearAllButton_) {
        clearAllEncodings();
        setupEncodingPopup();
    } else if (button == revertButton_) {
        clearAllEncodings();
        defaultEncodings();
        setupEncodingPopup();
    }
    reloadTable();
}

void EncodingAccessory::reloadTable() {
    QTableWidget *table = tableView();
    reloading_ = true;
    table->setRowCount(int(encodingTable_.size()));
    for (int row = 0; row < encodingTable_.size(); ++row) {
        const EncodingRecord &record = encodingTable_[row];
        auto *tick = new QTableWidgetItem;
        tick->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
        tick->setCheckState(record.checkBox ? Qt::Checked : Qt::Unchecked);
        table->setItem(row, 0, tick);
        auto *name = new QTableWidgetItem(record.encodingName);
        name->setFlags(Qt::ItemIsEnabled);
        table->setItem(row, 1, name);
    }
    reloading_ = false;
}

bool EncodingAccessory::eventFilter(QObject *watched, QEvent *event) {
    // Every way the panel closes keeps the ticks.
    if (watched == encodingListPanel_ && event->type() == QEvent::Hide)
        saveEncodings();
    if (watched == encodingListPanel_ && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent *>(event)->key() == Qt::Key_Escape) {
        encodingListPanel_->close();
        return true;
    }
    return ::ViewController::eventFilter(watched, event);
}

} // namespace tessarin
