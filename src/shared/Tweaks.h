// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QVariant>

namespace Global {

// The suite's tuning values by their string numbers. Each one's definition
// (name, type, default, maximum, minimum) is the string of that number.
namespace Tweak {
enum : int
{
    ReportRegistryError = 31001,
    MenuItemBitmaps = 31002,
    BalloonBackground = 31003,
    BalloonDelay = 31004,
    TaskBarIconGutter = 31005,
    BalloonShowOnce = 31006,
    DragTolerance = 31007,
    TweakBroadcastMsg = 31008,
    SplitBarColour = 31009,
    TaskBarIconFlash = 31010,
    TreeNodeIndent = 31011,
    HideIrrMenuItems = 31012,
    UserDefDTFormat = 31013,
    AlwaysConfirm = 31014,
    WizardIndicators = 31015,
    PuzzleTileEdge = 31016,
    TaskBarCursor = 31017,
    SplitBarHCursor = 31018,
    FolderPadChar = 31019,
    AccessAttempts = 31020,
    InPlaceEdit = 31021,
    PbkManualSort = 31022,
    SlowLoad = 31023,
    PbkTreeNodeSeparator = 31024,
    EOWTriggers = 31025,
    EOWLookBackTriggers = 31026,
    CapTriggers = 31027,
    ACLowestNumber = 31028,
    ContactListIndent = 31029,
    ColumnDragCursor = 31030,
    SplitBarVCursor = 31031,
    IndexFileBuffer = 31032,
    IrrelevantSearchLetters = 31033,
    SearchUpdate = 31034,
    InPlaceEditSpeed = 31035,
    PromptEnding = 31036,
    EnterDoesTab = 31037,
    TwoPartLoad = 31038,
    DefaultNumberType = 31039,
    ListItemDragCur = 31040,
    ListItemNoDropCur = 31041,
    TelephoneDigits = 31042,
    AplhaCodes = 31043,
    LandscapeRotate = 31044,
    FolderStyle = 31045,
    TemplateGap = 31046,
    HiddenSplitBarColour = 31047,
    LinesInPhoneList = 31048,
    TemplateCursor = 31049,
    NewContacts = 31050,
    DiaryHLines = 31051,
    LookBackTimeSlots = 31052,
    DiaryWrkColour = 31053,
    DiaryFreeColour = 31054,
    ReschedWeeks = 31055,
    ReschedMonths = 31056,
    TemplateThickness = 31057,
    TemplatePattern = 31058,
    GenderPref = 31059,
    StampFormat = 31060,
    QuickDialCur = 31061,
    ImageProgressBar = 31062,
    MaxPagesPerFolder = 31063,
    AlwaysLogOn = 31064,
    RecentCapacity = 31065,
    EarlyWarning = 31066,
    MaxDiaryPanes = 31067,
    EmboldenTreeKey = 31068,
    BigNewContact = 31069,
    WakeUpBroadcastMsg = 31070,
    AllowCallsPending = 31071,
    CallerIDBroadcastMsg = 31072,
    DialMsg = 31073,
    DialDelay = 31074,
    EmboldenActiveButs = 31075,
    IdleTime = 31076,
    WipeLinkDetails = 31077,
    LinkToCompany = 31078,
    AutoCloseCallWindow = 31079,
    MoreInfo = 31080,
    AddressOnOneLine = 31081,
    AddressIncludesCountry = 31082,
    RefineSearchTrigger = 31083,
    DiaryImages = 31084,
};
}

// A tuning value: its definition and its current value as the settings
// store gave it (a number, or a text for text tweaks and for defaults).
struct TweakRecord
{
    QString name;
    qint16 type = 0; // 0 text, 1 number
    QVariant value;
    QString defaultValue;
    double max = 0;
    double min = 0;
    bool loaded = false;

    double number() const;
    QString text() const;
    // A switch is on when its value is not zero.
    bool isOn() const { return number() != 0; }
};

// The tuning value `number` (31001 to 31084), read from the branch "Tweaks"
// of the settings on first use and kept. The negative of a number reads that
// one again; -1 forgets every kept value and gives an empty record. Any other
// number raises "Subscript out of range".
TweakRecord GetTweak(int number);

// Counts the times GetTweak(-1) forgot the kept values, so that what is
// built from tweaks can tell when to build it again.
int tweakGeneration();

} // namespace Global
