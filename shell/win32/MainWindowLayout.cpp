#include "shell/win32/MainWindowLayout.h"

namespace rsw::win32 {

namespace {

using enum Page;
using enum Kind;

// Rows share these: the buttons at the foot of every page, label offsets that centre a line of
// text on a 21-pixel edit.
constexpr int kFootY = 203;
constexpr int kHelpX = 226;
constexpr int kCloseX = 308;
constexpr int kButtonW = 77;
constexpr int kButtonH = 25;
constexpr int kEditH = 21;
constexpr int kTextDy = 4;

constexpr ControlRow kControls[] = {
    // Free Memory
    {lstMem, FreeMemory, List, "", 8, 8, 375, 126},
    {labAllocate, FreeMemory, Label, "Allocate and Free not more than", 8, 146 + kTextDy, 160, 13},
    {txtMaxTimes, FreeMemory, Edit, "", 166, 146, 44, kEditH},
    {UpDown1, FreeMemory, UpDown, "", 0, 0, 0, 0},
    {labTimes, FreeMemory, Label, "times.", 216, 146 + kTextDy, 40, 13},
    {butAlloc, FreeMemory, DefaultButton, "Allocate and Free", 8, 176, 130, kButtonH},
    // to the page's edge, centred on the button; empty and hidden until a free-up has ended
    {labLastResult, FreeMemory, Label, "", 146, 176 + (kButtonH - 13) / 2, 239, 13},
    {Button1, FreeMemory, Button, "&Help", kHelpX, kFootY, kButtonW, kButtonH},
    {butClose1, FreeMemory, Button, "Minimize", kCloseX, kFootY, kButtonW, kButtonH},

    // Statistics
    {Label4, Statistics, Label, "Available RAM to applications", 8, 3, 200, 13},
    {Panel2, Statistics, Sunken, "", 8, 18, 377, 153},
    {PerformanceChart1, Statistics, Chart, "Free Memory (RAM)", 10, 20, 373, 149},
    {TrackBar1, Statistics, Track, "", 2, 174, 190, 26},
    {Label3, Statistics, Label, "", 8, 204, 178, 13},
    {chkCaption, Statistics, Check, "Show in", 198, 176, 64, 17},
    {Label26, Statistics, Label, "Title", 214, 193, 40, 13},
    {Button2, Statistics, Button, "&Help", kHelpX, kFootY, kButtonW, kButtonH},
    {butClose2, Statistics, Button, "Minimize", kCloseX, kFootY, kButtonW, kButtonH},

    // Background
    {labCriticalAmount, Background, Label, "The critical amount of memory for you is:", 8, 8 + kTextDy, 206, 13},
    {txtCritical, Background, ReadOnly, "", 214, 8, 76, kEditH},
    {udCritical, Background, UpDown, "", 0, 0, 0, 0},
    {labCriticalKB, Background, Label, "KB", 296, 8 + kTextDy, 20, 13},
    {chkBackground, Background, Check, "Background Activity", 8, 36, 150, 17},
    {chkRegular, Background, Check, "Free up", 14, 62, 60, 17},
    {cboRegular, Background, Combo, "", 76, 60, 66, 200},
    {labEvery, Background, Label, "every", 146, 60 + kTextDy, 28, 13},
    {Edit5, Background, ReadOnly, "", 176, 60, 54, kEditH},
    {udmin, Background, UpDown, "", 0, 0, 0, 0},
    {labMinutes, Background, Label, "minutes.", 234, 60 + kTextDy, 44, 13},
    {labNext, Background, Label, "", 284, 60 + kTextDy, 104, 13},
    {labRegularUse, Background, Label, "Use", 32, 86 + kTextDy, 22, 13},
    {cboIdleRegular, Background, Combo, "", 56, 86, 60, 100},
    {labRegularIdle, Background, Label, "Idle detection.", 120, 86 + kTextDy, 80, 13},
    {chkCritical, Background, Check, "Free up", 14, 120, 60, 17},
    {cboCritical, Background, Combo, "", 76, 118, 66, 200},
    {labLessThan, Background, Label, "if you have less than the critical amount of memory", 146, 118 + kTextDy, 240,
     13},
    {labForMoreThan, Background, Label, "for more than", 32, 144 + kTextDy, 64, 13},
    {Edit7, Background, ReadOnly, "", 98, 144, 54, kEditH},
    {udsec, Background, UpDown, "", 0, 0, 0, 0},
    {labSecondsAndUse, Background, Label, "seconds and use ", 156, 144 + kTextDy, 82, 13},
    {cboIdleCritical, Background, Combo, "", 240, 144, 60, 100},
    {labCriticalIdle, Background, Label, "Idle detection.", 304, 144 + kTextDy, 76, 13},
    {Button3, Background, Button, "&Help", kHelpX, kFootY, kButtonW, kButtonH},
    {butClose4, Background, Button, "Minimize", kCloseX, kFootY, kButtonW, kButtonH},

    // Startup
    {chkAutoRun, Startup, Check, "Run automatically with Windows", 8, 8, 220, 17},
    {grpStartupOptions, Startup, Group, "Startup Options", 8, 32, 377, 160},
    {labAutoFreeUp, Startup, Label, "Free up", 22, 56 + kTextDy, 120, 13},
    {cboAutoRun, Startup, Combo, "", 148, 56, 80, 200},
    {labAutoNotMore, Startup, Label, "Free up not more than", 22, 88 + kTextDy, 120, 13},
    {Edit4, Startup, ReadOnly, "", 148, 88, 48, kEditH},
    {udAutoTimes, Startup, UpDown, "", 0, 0, 0, 0},
    {labAutoTimes, Startup, Label, "times.", 202, 88 + kTextDy, 40, 13},
    {labAutoWait, Startup, Label, "And wait for", 22, 120 + kTextDy, 120, 13},
    {Edit6, Startup, ReadOnly, "", 148, 120, 56, kEditH},
    {udAutoDelay, Startup, UpDown, "", 0, 0, 0, 0},
    {labAutoSeconds, Startup, Label, "seconds.", 210, 120 + kTextDy, 50, 13},
    {labAutoUse, Startup, Label, "Use", 22, 152 + kTextDy, 120, 13},
    {cboIdleStartup, Startup, Combo, "", 148, 152, 60, 100},
    {labAutoIdle, Startup, Label, "Idle detection.", 214, 152 + kTextDy, 80, 13},
    {Button4, Startup, Button, "&Help", kHelpX, kFootY, kButtonW, kButtonH},
    {butClose5, Startup, Button, "Minimize", kCloseX, kFootY, kButtonW, kButtonH},

    // Idle
    {labIdleIntro, Idle, Label, "For some operations, you can specify the idle detection used.", 8, 6, 377, 13},
    {grpHard, Idle, Group, "Options for Hard Idle Detection", 8, 24, 377, 84},
    {labHardBelow, Idle, Label, "Idle is if processor usage is below", 18, 44 + kTextDy, 176, 13},
    {txtHardIdlePercent, Idle, ReadOnly, "", 196, 44, 44, kEditH},
    {udHardPercent, Idle, UpDown, "", 0, 0, 0, 0},
    {labHardPercent, Idle, Label, "%.", 244, 44 + kTextDy, 16, 13},
    {labHardDetect, Idle, Label, "Detect for", 18, 74 + kTextDy, 52, 13},
    {txtHardDelay, Idle, ReadOnly, "", 72, 74, 44, kEditH},
    {udHardSeconds, Idle, UpDown, "", 0, 0, 0, 0},
    {labHardNoIdle, Idle, Label, "seconds. If no idle is found,", 120, 74 + kTextDy, 136, 13},
    {cboHardAction, Idle, Combo, "", 258, 74, 124, 100},
    {grpSoft, Idle, Group, "Options for Soft Idle Detection", 8, 112, 377, 84},
    {labSoftBelow, Idle, Label, "Idle is if processor usage is below", 18, 132 + kTextDy, 176, 13},
    {Edit11, Idle, ReadOnly, "", 196, 132, 44, kEditH},
    {udSoftPercent, Idle, UpDown, "", 0, 0, 0, 0},
    {labSoftPercent, Idle, Label, "%.", 244, 132 + kTextDy, 16, 13},
    {labSoftDetect, Idle, Label, "Detect for", 18, 162 + kTextDy, 52, 13},
    {Edit14, Idle, ReadOnly, "", 72, 162, 44, kEditH},
    {udSoftSeconds, Idle, UpDown, "", 0, 0, 0, 0},
    {labSoftNoIdle, Idle, Label, "seconds. If no idle is found,", 120, 162 + kTextDy, 136, 13},
    {cboSoftAction, Idle, Combo, "", 258, 162, 124, 100},
    {Button17, Idle, Button, "&Help", kHelpX, kFootY, kButtonW, kButtonH},
    {butClose10, Idle, Button, "Minimize", kCloseX, kFootY, kButtonW, kButtonH},

    // Icon
    {chkShowIcon, Icon, Check, "Show Icon in System Tray", 8, 6, 220, 17},
    {Label13, Icon, WrapLabel,
     "A red icon is shown if your free RAM falles below the critical amount. You can set the critical amount on "
     "the \"Background\" page.",
     8, 28, 366, 28},
    {Label14, Icon, Label, "Show a", 8, 66 + kTextDy, 36, 13},
    {Label15, Icon, Label, "Yellow", 46, 66 + kTextDy, 40, 13},
    {Label16, Icon, Label, "Icon if free RAM falls below", 88, 66 + kTextDy, 134, 13},
    {txtYellow, Icon, ReadOnly, "", 224, 66, 76, kEditH},
    {udYellow, Icon, UpDown, "", 0, 0, 0, 0},
    {Label17, Icon, Label, "KB", 306, 66 + kTextDy, 20, 13},
    {Label25, Icon, Label, "The three menu free-ups: ", 8, 100 + kTextDy, 128, 13},
    {cboMenu1, Icon, Combo, "", 136, 100, 80, 200},
    {cboMenu2, Icon, Combo, "", 220, 100, 80, 200},
    {cboMenu3, Icon, Combo, "", 304, 100, 80, 200},
    {Label12, Icon, Label, "Tray Icon Double-Click does", 8, 134 + kTextDy, 140, 13},
    {cboIconAction, Icon, Combo, "", 150, 134, 180, 120},
    {chkShowResult, Icon, Check, "Show the result in a balloon", 8, 168, 220, 17},
    {Button5, Icon, Button, "&Help", kHelpX, kFootY, kButtonW, kButtonH},
    {butClose6, Icon, Button, "Minimize", kCloseX, kFootY, kButtonW, kButtonH},

    // About
    {panAbout, About, Silver, "", 8, 8, 377, 188},
    {Label5, About, Label, "Ramsweep Professional", 16, 20, 361, 40},
    {lblVersion, About, Label, "Version 4.1", 16, 64, 361, 13},
    {mdURLLabel1, About, Label, "Click here for the latest updates", 16, 96, 361, 14},
    {Edit2, About, ReadOnly, kWebAddress, 88, 114, 216, kEditH},
    {mdURLLabel2, About, Label, "Send questions and comments to", 16, 146, 361, 14},
    {Edit3, About, ReadOnly, kMailAddress, 88, 164, 216, kEditH},
    {butClose3, About, Button, "Minimize", kCloseX, kFootY, kButtonW, kButtonH},
};

}  // namespace

std::span<const ControlRow> MainWindowControls() { return kControls; }

}  // namespace rsw::win32
