#pragma once

#include "app/Config.h"
#include "app/Random.h"
#include "data/MemTable.h"
#include "platform/SeedClock.h"

#include <QObject>
#include <QString>
#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

// The font size of a card label for a text of the given length in characters; texts longer
// than any field can hold keep the current size.
int CardFontSize(int length, int currentSize);

// The drill without its widgets: the drill table and the scratch table, the shuffle, the
// three drill commands, the Enter toggle and everything the main window shows of them (card,
// counters, command states, status bar). The window only mirrors the getters, refreshing
// on the signals, and shows the message of finished() in an information box.
//
// Card texts and counter texts are code page 1250, like the table's values; the status texts
// are QString because panel 0 shows a file name taken from a path.
class Drill : public QObject, private TableObserver {
    Q_OBJECT

public:
    // The direction setting ("Kikérdezés"): the index of the chosen radio item.
    enum Kikerdezes : int { ElsoNyelv = 0, MasodikNyelv = 1, Vegyesen = 2 };
    static const std::array<std::string_view, 3> KikerdezesItems; // the captions, cp1250

    static constexpr std::int32_t ShuffleKeyRange = 2147483647; // keys 0 to 2^31 - 2
    static constexpr int DesignFontSize = 18;

    // The counters and UtolsoFile live in the settings record, which must outlive the drill.
    // Seeds come from the monotonic clock.
    explicit Drill(TBeall& beall, QObject* parent = nullptr);
    // Seeds come from the given source, which must outlive the drill too.
    Drill(TBeall& beall, SeedSource& seeds, QObject* parent = nullptr);
    ~Drill() override;

    // The drill table in the drill's current order (printing and the exports read it), and
    // the scratch table that is open only while a test is appended.
    TMemTable& Tbl() { return tbl_; }
    const TMemTable& Tbl() const { return tbl_; }
    TMemTable& Tbl1() { return tbl1_; }

    // Loads a test into the drill, replacing it or appending to it, shuffles and restarts the
    // counters. A failure stops at the failing step; the later steps keep their old state.
    void TesztMegnyitas(const QString& path, bool append);

    // The three drill commands; while disabled they do nothing.
    void aEztMarTudomExecute();
    void aMegnezemExecute();
    void aJohetaKovetkezoExecute();

    // A key press seen by the window before its controls; only Enter (13) is handled, and it
    // is not consumed.
    void FormKeyPress(char key);

    // The drill table's AfterScroll handler: sizes both card labels by their texts.
    void TblAfterScroll(TMemTable& table);

    int KikerdezesIndex() const { return kikerdezes_; }
    void SetKikerdezesIndex(int index) { kikerdezes_ = index; }

    // The card: the question label DBText1 and the answer label DBText2.
    const std::string& DBText1Field() const { return questionField_; }
    const std::string& DBText2Field() const { return answerField_; }
    std::string DBText1Text() const { return labelText(questionField_); }
    std::string DBText2Text() const { return labelText(answerField_); }
    int DBText1FontSize() const { return questionFontSize_; }
    int DBText2FontSize() const { return answerFontSize_; }
    bool DBText2Visible() const { return answerVisible_; }

    // Enter target: SpeedButton2 is "Megnézem...", SpeedButton3 "OK, jöhet a következő".
    bool SpeedButton2Bold() const { return emphasis_ == Emphasis::Megnezem; }
    bool SpeedButton3Bold() const { return emphasis_ == Emphasis::Johet; }

    // Counters: Tudom known since the last open or append, NemTudom still in the drill (both
    // kept in the settings record), OsszesSzo the size at the last open or append. The label
    // texts are the window's Label4 ("Összes szó"), Label5 ("Ennyit tudok már") and Label6
    // ("Ennyit nem tudok még").
    std::int32_t Tudom() const { return beall_.Tudom; }
    std::int32_t NemTudom() const { return beall_.NemTudom; }
    int OsszesSzo() const { return osszesSzo_; }
    std::string Label4Text() const { return std::to_string(osszesSzo_); }
    std::string Label5Text() const { return std::to_string(beall_.Tudom); }
    std::string Label6Text() const { return std::to_string(beall_.NemTudom); }

    // The three drill commands are enabled and disabled together.
    bool CommandsEnabled() const { return commandsEnabled_; }
    bool aEztMarTudomEnabled() const { return commandsEnabled_; }
    bool aMegnezemEnabled() const { return commandsEnabled_; }
    bool aJohetaKovetkezoEnabled() const { return commandsEnabled_; }

    // Status bar: panel 0 the file name of the test opened or appended last, panel 1 the hint.
    QString StatusPanelText(int panel) const;

    // The full path of the test opened or appended last (the settings record's UtolsoFile).
    const QString& UtolsoFile() const { return beall_.UtolsoFile; }

Q_SIGNALS:
    void cardChanged();     // a label's text, field binding, font size or the answer's visibility
    void emphasisChanged(); // which drill button's caption is bold
    void countersChanged();
    void commandsEnabledChanged(bool enabled);
    void statusChanged();
    // The last pair was declared known; the window shows the text (cp1250) in an information
    // box. Sent once per drill.
    void finished(const std::string& message);

private:
    enum class Emphasis { None, Megnezem, Johet };

    Drill(TBeall& beall, std::unique_ptr<SeedClock> ownClock, SeedSource* seeds, QObject* parent);
    void tableChanged(TMemTable& table, Change change) override;

    void appendTest(const QString& path);
    void appendScratchPair();
    void replaceTest(const QString& path);
    void shuffle();
    void restartCounters();
    void setCommandsEnabled(bool enabled);
    void setStatusPanel(int panel, const QString& text);
    void bind(std::string question, std::string answer);
    void bindByDirection();
    void setAnswerVisible(bool visible);
    void setEmphasis(Emphasis emphasis);
    std::string labelText(const std::string& field) const;

    TBeall& beall_;
    std::unique_ptr<SeedClock> ownClock_;
    Random random_;
    TMemTable tbl_;
    TMemTable tbl1_;

    int kikerdezes_ = ElsoNyelv;
    std::string questionField_ = "nyelv1";
    std::string answerField_ = "nyelv2";
    int questionFontSize_ = DesignFontSize;
    int answerFontSize_ = DesignFontSize;
    bool answerVisible_ = false;
    Emphasis emphasis_ = Emphasis::None;

    int osszesSzo_ = 0;
    bool commandsEnabled_ = false;
    std::array<QString, 2> statusPanels_;
};
