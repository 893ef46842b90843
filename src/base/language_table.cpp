#include "base/language_table.h"

#include "base/ini_file.h"

#include <QDir>

namespace qv {
namespace {

struct Default {
    const char* key;
    const char* text;
};

// Keys whose default is empty ("8054".."8059", "8071".."8074", ...) are left out.
// The wording (typos included) is what users and translators know; keep it as it is unless it
// says something it does not mean ("012" is about the picture's width and height).
constexpr Default kDefaults[] = {
    {"000", "1 bit"},
    {"001", "2 bit"},
    {"002", "4 bit"},
    {"003", "8 bit"},
    {"004", "16 bit"},
    {"005", "12 bit"},
    {"006", "byte"},
    {"007", "Melodies loading..."},
    {"008", "Operators list loading..."},
    {"009", "Pictures loading..."},
    {"010", "Melody"},
    {"011", "The quantity of colors should be: 2, 16, 256 or 65000"},
    {"012", "Incorrect resolution X:Y"},
    {"013", "The file size should be less or is equal"},
    {"014", "byte(s)"},
    {"015", "The file with media data is not retrieved. For its creation it is necessary to connect "
            "the mobilephone to a computer. Continue?"},
    {"016", "Attention"},
    {"017", "Operator code -"},
    {"018", "Connect a cable. Press and hold the power button..."},
    {"019", "Operation completed."},
    {"020", "Operation aborted."},
    {"021", "Error occured!"},
    {"022", "Error :"},
    {"023", "Phone is not responding! Make sure you phone is connected and switched on..."},
    {"024", "No Error. Operation succedeed."},
    {"025", "Operation Aborted"},
    {"026", "Invalid file name"},
    {"027", "Can not open file"},
    {"028", "File size exeeded 64Kb"},
    {"029", "Not enough memory to load file"},
    {"030", "File read error"},
    {"031", "File write error"},
    {"032", "Wrong COM port settings"},
    {"033", "COM port init failed"},
    {"034", "Can not open COM port"},
    {"035", "Can not setup timeouts"},
    {"036", "Can not read COM port state"},
    {"037", "Can not set COM port state"},
    {"038", "Can not setup COM port buffer"},
    {"039", "Can not setup COM port mask"},
    {"040", "No response from target"},
    {"041", "COM port write failed"},
    {"042", "COM port read failed"},
    {"043", "Invalid response from target"},
    {"044", "COM port close error"},
    {"045", "Can not read sowftware version"},
    {"046", "Can not receive a response from the phone. May be it is turned off."},
    {"047", "Unknown Error"},
    {"048", "Waiting for phone's response..."},
    {"049", "Aborted:"},
    {"050", "Response accepted"},
    {"051", "Writing pictures -"},
    {"052", "of"},
    {"053", "Writing melodies -"},
    {"054", "Writing operators list -"},
    {"055", "Close"},
    {"056", "Operation completed."},
    {"057", "Sending flasher"},
    {"058", "Preparing phone"},
    {"059", "Writing data"},
    {"060", "Erasing data"},
    {"061", "Reading pictures -"},
    {"062", "Reading melodies -"},
    {"063", "Reading operators list -"},
    {"064", "Flasher sending..."},
    {"065", "Writing completed..."},
    {"066", "Erasing completed..."},
    {"067", "Reading completed..."},
    {"068", "Close"},
    {"069", "Cancel"},
    {"070", "Operation aborted"},
    {"071", "Do you realy want delete selected items?"},
    {"072", "String length -"},
    {"073", "Load string resources..."},
    {"074", "Writing strings -"},
    {"075", "Writing data"},
    {"076", "Reading strings -"},
    {"077", "24 bit"},
    {"078", "32 bit"},
    {"8001", "Quorvanta"},
    {"8002", "Open service file"},
    {"8003", "Import"},
    {"8004", "Export"},
    {"8005", "Quorvanta on the web"},
    {"8006", "Save service file"},
    {"8007", "Operator name #1"},
    {"8008", "Operator name #2"},
    {"8009", "Operator name #3"},
    {"8010", "Confirmation"},
    {"8011", "Flash"},
    {"8012", "Operator code"},
    {"8013", "Information"},
    {"8014", "Settings"},
    {"8015", "Close"},
    {"8016", "Minimize"},
    {"8017", "Display options"},
    {"8018", "Transparency"},
    {"8019", "Write FirmWare"},
    {"8020", "About this program..."},
    {"8021", "Confirmation"},
    {"8022", "Restore original table..."},
    {"8023", "Scale Y"},
    {"8024", "Scale X"},
    {"8025", "The third name of the operator (the maximal length of 50 symbols)"},
    {"8026", "The second name of the operator (the maximal length of 25 symbols)"},
    {"8027", "The first name of the operator (the maximal length of 10 symbols)"},
    {"8028", "Code of the operator"},
    {"8029", "Mode"},
    {"8030", "Images"},
    {"8031", "Melodies"},
    {"8032", "Operators"},
    {"8033", "Write FW"},
    {"8034", "Open FW file"},
    {"8035", "Melody size"},
    {"8036", "Picture"},
    {"8037", "Open service file"},
    {"8038", "Minimize"},
    {"8039", "Close"},
    {"8040", "Open file"},
    {"8041", "Play"},
    {"8042", "Open melody file"},
    {"8043", "Path to Restore file"},
    {"8044", "Open Restore Patch file"},
    {"8045", "Assign melody name"},
    {"8046", "Edit selected string"},
    {"8047", "Insert LineFeed"},
    {"8048", "Apply"},
    {"8049", "LangPack"},
    {"8050", "Restore"},
    {"8051", "Edit string"},
    {"8052", "Search string"},
    {"8053", "Search string"},
    {"8060", "Setup COM port"},
    {"8061", "Cancel"},
    {"8062", "Apply"},
    {"8063", "COM port"},
    {"8064", "Reading speed"},
    {"8065", "Setup"},
    {"8066", "Melody player..."},
    {"8067", "Writing speed"},
    {"8068", "Path to player"},
    {"8069", "Keyboard Locked"},
    {"8070", "Create Restore Patch file"},
    {"8075", "Display options"},
    {"8076", "Background"},
    {"8077", "Text"},
    {"8078", "Cancel"},
    {"8079", "Apply"},
    {"8080", "Transparency"},
    {"8085", "Info"},
    {"8086", "Model"},
    {"8087", "Version"},
    {"8088", "Close"},
    {"8095", "Progress"},
    {"8096", "Cancel"},
    {"8100", "About..."},
    {"8101", "Close"},
    {"8102", "Quorvanta is free software: you may share and change it under the GNU General Public "
             "License, version 3 or (at your option) any later version. It comes with no warranty. "
             "The full text of the licence:"},
    {"8200", "Normal"},
    {"8201", "Shrink"},
    {"8202", "Normal+Bold"},
    {"8203", "Shrink+Bold"},
    {"8110", "Create MEM file"},
    {"8111", "OK"},
    {"8112", "by Mobile"},
    {"8113", "by FullFlash"},
    {"8300", "Operator name #%1 holds characters the phone cannot show: %2"},
    {"8301", "Choose the patch file to restore first."},
    {"8302", "There is no patch file"},
    {"8303", "All images"},
    {"8304", "All files"},
    {"8305", "Cancel"},
    {"8306", "Not found"},
};

// "077" and "078" came after the first table ("000".."076"), in slots it left empty.
constexpr int kLastShortKey = 78;

// Texts that are always appended to other text, so they carry their own separating space.
constexpr const char* kLeadingSpaceKeys[] = {"006", "014", "023", "052"};

int parseDigits(QStringView s) {
    int n = 0;
    for (QChar c : s) {
        if (c < u'0' || c > u'9') return -1;
        n = n * 10 + (c.unicode() - u'0');
    }
    return n;
}

}  // namespace

int LanguageTable::slotOfKey(QStringView key) {
    const int n = parseDigits(key);
    if (n < 0) return -1;
    if (key.size() == 3) return n <= kLastShortKey ? n : -1;
    if (key.size() != 4) return -1;
    if (n >= 8001 && n <= 8104) return n - 7900;
    if (n >= 8200 && n <= 8203) return n - 8200 + 205;
    if (n >= 8110 && n <= 8113) return n - 7900;
    if (n >= 8300 && n <= 8306) return n - 8300 + 214;
    return -1;
}

QString LanguageTable::keyOfSlot(int slot) {
    if (slot >= 0 && slot <= kLastShortKey) return QStringLiteral("%1").arg(slot, 3, 10, QLatin1Char('0'));
    if ((slot >= 101 && slot <= 204) || (slot >= 210 && slot <= 213)) return QString::number(slot + 7900);
    if (slot >= 205 && slot <= 208) return QString::number(slot - 205 + 8200);
    if (slot >= 214 && slot <= 220) return QString::number(slot - 214 + 8300);
    return {};
}

void LanguageTable::loadDefaults() {
    fillDefaults();
    finish();
    loadWarning_.clear();
}

QString LanguageTable::load(const QString& programDir) {
    const QString path = QDir(programDir).filePath(QStringLiteral("language.ini"));
    return load(IniFile::load(path), path);
}

QString LanguageTable::load(const IniFile& ini, const QString& path) {
    fillDefaults();
    for (int i = 0; i < kSlotCount; ++i) {
        const QString key = keyOfSlot(i);
        if (!key.isEmpty()) slots_[i] = ini.value(u"Language", key, slots_[i]);
    }
    finish();
    loadWarning_.clear();
    if (!ini.problem().isEmpty())
        loadWarning_ = QStringLiteral("%1 is ignored (%2); the built-in English texts are used")
                           .arg(QDir::toNativeSeparators(path), ini.problem());
    return loadWarning_;
}

void LanguageTable::fillDefaults() {
    slots_.fill(QString());
    for (const Default& d : kDefaults) slots_[slotOfKey(QString::fromLatin1(d.key))] = QString::fromLatin1(d.text);
}

void LanguageTable::finish() {
    for (const char* key : kLeadingSpaceKeys) {
        slots_[slotOfKey(QString::fromLatin1(key))].prepend(u' ');
    }
    slots_[100].clear();
}

QString LanguageTable::text(QStringView key) const {
    const int i = slotOfKey(key);
    return i < 0 ? QString() : slots_[i];
}

QString LanguageTable::slot(int slot) const {
    return (slot >= 0 && slot < kSlotCount) ? slots_[slot] : QString();
}

LanguageTable& languageTable() {
    static LanguageTable table = [] {
        LanguageTable t;
        t.loadDefaults();
        return t;
    }();
    return table;
}

}  // namespace qv
