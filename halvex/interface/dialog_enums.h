// Enumerations of the library's dialog classes: the flags, errors and
// printer values of the common-dialog layer (GCommonDialog), the memory
// block flags (cMemory) and the help values of cCommonDialog. The values
// are those of the desktop's dialog functions of the same names.
//
// Members valued -32768 carry that value in the interface (what a host
// passes when it uses them); the members with the suffix _C carry the
// positive bit 32768. Every member is a 32-bit signed integer.
#pragma once

#include <cstdint>

namespace halvex {

enum EErrorCommonDialog : std::int32_t {
    eeBaseCommonDialog = 13450,
};

enum EOpenFile : std::int32_t {
    OFN_READONLY = 1,
    OFN_OVERWRITEPROMPT = 2,
    OFN_HIDEREADONLY = 4,
    OFN_NOCHANGEDIR = 8,
    OFN_SHOWHELP = 16,
    OFN_ENABLEHOOK = 32,
    OFN_ENABLETEMPLATE = 64,
    OFN_ENABLETEMPLATEHANDLE = 128,
    OFN_NOVALIDATE = 256,
    OFN_ALLOWMULTISELECT = 512,
    OFN_EXTENSIONDIFFERENT = 1024,
    OFN_PATHMUSTEXIST = 2048,
    OFN_FILEMUSTEXIST = 4096,
    OFN_CREATEPROMPT = 8192,
    OFN_SHAREAWARE = 16384,
    OFN_NOREADONLYRETURN = -32768,
    OFN_NOTESTFILECREATE = 65536,
    OFN_NONETWORKBUTTON = 131072,
    OFN_NOLONGNAMES = 262144,
    OFN_EXPLORER = 524288,
    OFN_NODEREFERENCELINKS = 1048576,
    OFN_LONGNAMES = 2097152,
    OFN_ENABLEINCLUDENOTIFY = 4194304,
    OFN_ENABLESIZING = 8388608,
    OFN_NOREADONLYRETURN_C = 32768,
};

enum EChooseColor : std::int32_t {
    CC_RGBInit = 1,
    CC_FullOpen = 2,
    CC_PreventFullOpen = 4,
    CC_ColorShowHelp = 8,
    CC_SolidColor = 128,
    CC_AnyColor = 256,
    CC_ENABLEHOOK = 16,
    CC_ENABLETEMPLATE = 32,
    CC_EnableTemplateHandle = 64,
};

enum EChooseFont : std::int32_t {
    CF_ScreenFonts = 1,
    CF_PrinterFonts = 2,
    CF_BOTH = 3,
    CF_FontShowHelp = 4,
    CF_UseStyle = 128,
    CF_EFFECTS = 256,
    CF_AnsiOnly = 1024,
    CF_NoVectorFonts = 2048,
    CF_NoOemFonts = 2048,
    CF_NoSimulations = 4096,
    CF_LimitSize = 8192,
    CF_FixedPitchOnly = 16384,
    CF_WYSIWYG = -32768,
    CF_ForceFontExist = 65536,
    CF_ScalableOnly = 131072,
    CF_TTOnly = 262144,
    CF_NoFaceSel = 524288,
    CF_NoStyleSel = 1048576,
    CF_NoSizeSel = 2097152,
    CF_SelectScript = 4194304,
    CF_NOSCRIPTSEL = 8388608,
    CF_NoVertFonts = 16777216,
    CF_InitToLogFontStruct = 64,
    CF_Apply = 512,
    CF_EnableHook = 8,
    CF_EnableTemplate = 16,
    CF_EnableTemplateHandle = 32,
    CF_FontNotSupported = 568,
    CF_WYSIWYG_C = 32768,
};

enum EFontType : std::int32_t {
    Simulated_FontType = -32768,
    Printer_FontType = 16384,
    Screen_FontType = 8192,
    Bold_FontType = 256,
    Italic_FontType = 512,
    Regular_FontType = 1024,
    Simulated_FontType_C = 32768,
};

enum EPrintDialog : std::int32_t {
    PD_ALLPAGES = 0,
    PD_SELECTION = 1,
    PD_PAGENUMS = 2,
    PD_NOSELECTION = 4,
    PD_NOPAGENUMS = 8,
    PD_COLLATE = 16,
    PD_PRINTTOFILE = 32,
    PD_PRINTSETUP = 64,
    PD_NOWARNING = 128,
    PD_RETURNDC = 256,
    PD_RETURNIC = 512,
    PD_RETURNDEFAULT = 1024,
    PD_SHOWHELP = 2048,
    PD_ENABLEPRINTHOOK = 4096,
    PD_ENABLESETUPHOOK = 8192,
    PD_ENABLEPRINTTEMPLATE = 16384,
    PD_ENABLESETUPTEMPLATE = -32768,
    PD_ENABLEPRINTTEMPLATEHANDLE = 65536,
    PD_ENABLESETUPTEMPLATEHANDLE = 131072,
    PD_USEDEVMODECOPIES = 262144,
    PD_USEDEVMODECOPIESANDCOLLATE = 262144,
    PD_DISABLEPRINTTOFILE = 524288,
    PD_HIDEPRINTTOFILE = 1048576,
    PD_NONETWORKBUTTON = 2097152,
    PD_ENABLESETUPTEMPLATE_C = 32768,
};

// Paper sizes 1 to 41 in the order of the desktop's paper constants.
enum EPaperSize : std::int32_t {
    epsLetter = 1,
    epsLetterSmall,
    epsTabloid,
    epsLedger,
    epsLegal,
    epsStatement,
    epsExecutive,
    epsA3,
    epsA4,
    epsA4Small,
    epsA5,
    epsB4,
    epsB5,
    epsFolio,
    epsQuarto,
    eps10x14,
    eps11x17,
    epsNote,
    epsEnv9,
    epsEnv10,
    epsEnv11,
    epsEnv12,
    epsEnv14,
    epsCSheet,
    epsDSheet,
    epsESheet,
    epsEnvDL,
    epsEnvC3,
    epsEnvC4,
    epsEnvC5,
    epsEnvC6,
    epsEnvC65,
    epsEnvB4,
    epsEnvB5,
    epsEnvB6,
    epsEnvItaly,
    epsenvmonarch,
    epsEnvPersonal,
    epsFanfoldUS,
    epsFanfoldStdGerman,
    epsFanfoldLglGerman,
    epsUser = 256,
};
static_assert(epsFanfoldLglGerman == 41);

enum EPrintQuality : std::int32_t {
    epqDraft = -1,
    epqLow = -2,
    epqMedium = -3,
    epqHigh = -4,
};

enum EOrientation : std::int32_t {
    eoPortrait = 1,
    eoLandscape = 2,
};

enum EPageSetup : std::int32_t {
    PSD_Defaultminmargins = 0,
    PSD_InWinIniIntlMeasure = 0,
    PSD_MINMARGINS = 1,
    PSD_MARGINS = 2,
    PSD_INTHOUSANDTHSOFINCHES = 4,
    PSD_INHUNDREDTHSOFMILLIMETERS = 8,
    PSD_DISABLEMARGINS = 16,
    PSD_DISABLEPRINTER = 32,
    PSD_NoWarning = 128,
    PSD_DISABLEORIENTATION = 256,
    PSD_ReturnDefault = 1024,
    PSD_DISABLEPAPER = 512,
    PSD_ShowHelp = 2048,
    PSD_EnablePageSetupHook = 8192,
    PSD_EnablePageSetupTemplate = -32768,
    PSD_EnablePageSetupTemplateHandle = 131072,
    PSD_EnablePagePaintHook = 262144,
    PSD_DisablePagePainting = 524288,
};

enum EPageSetupUnits : std::int32_t {
    epsuInches = 0,
    epsuMillimeters = 1,
};

enum EDialogError : std::int32_t {
    CDERR_DIALOGFAILURE = -1,
    CDERR_GENERALCODES = 0,
    CDERR_STRUCTSIZE = 1,
    CDERR_INITIALIZATION = 2,
    CDERR_NOTEMPLATE = 3,
    CDERR_NOHINSTANCE = 4,
    CDERR_LOADSTRFAILURE = 5,
    CDERR_FINDRESFAILURE = 6,
    CDERR_LOADRESFAILURE = 7,
    CDERR_LOCKRESFAILURE = 8,
    CDERR_MEMALLOCFAILURE = 9,
    CDERR_MEMLOCKFAILURE = 10,
    CDERR_NOHOOK = 11,
    CDERR_REGISTERMSGFAIL = 12,
    PDERR_PRINTERCODES = 4096,
    PDERR_SETUPFAILURE = 4097,
    PDERR_PARSEFAILURE = 4098,
    PDERR_RETDEFFAILURE = 4099,
    PDERR_LOADDRVFAILURE = 4100,
    PDERR_GETDEVMODEFAIL = 4101,
    PDERR_INITFAILURE = 4102,
    PDERR_NODEVICES = 4103,
    PDERR_NODEFAULTPRN = 4104,
    PDERR_DNDMMISMATCH = 4105,
    PDERR_CREATEICFAILURE = 4106,
    PDERR_PRINTERNOTFOUND = 4107,
    PDERR_DEFAULTDIFFERENT = 4108,
    CFERR_CHOOSEFONTCODES = 8192,
    CFERR_NOFONTS = 8193,
    CFERR_MAXLESSTHANMIN = 8194,
    FNERR_FILENAMECODES = 12288,
    FNERR_subCLASSFAILURE = 12289,
    FNERR_INVALIDFILENAME = 12290,
    FNERR_BUFFERTOOSMALL = 12291,
    CCERR_CHOOSECOLORCODES = 20480,
};

enum EPrintRange : std::int32_t {
    eprAll = 0,
    eprPageNumbers = 1,
    eprSelection = 2,
};

// Flags of the global memory blocks (cMemory).
enum EMemoryFlags : std::int32_t {
    GMEM_DDESHARE = 8192,
    GMEM_DISCARDABLE = 256,
    GMEM_DISCARDED = 16384,
    GMEM_INVALID_HANDLE = -32768,
    GMEM_FIXED = 0,
    GMEM_LOCKCOUNT = 255,
    GMEM_MODIFY = 128,
    GMEM_MOVEABLE = 2,
    GMEM_NODISCARD = 32,
    GMEM_NOCOMPACT = 16,
    GMEM_NOT_BANKED = 4096,
    GMEM_LOWER = 4096,
    GMEM_NOTIFY = 16384,
    GMEM_SHARE = 8192,
    GMEM_VALID_FLAGS = 32626,
    GMEM_ZEROINIT = 64,
    GPTR = 64,
};

// Commands of the help engine (cCommonDialog.HelpCommand).
enum EShowHelpCommands : std::int32_t {
    eshcContext = 1,
    eshcQuit = 2,
    eshcContents = 3,
    eshcHelpOnHelp = 4,
    eshcSetContents = 5,
    eshcContextPopup = 8,
    eshcForceFile = 9,
    eshcKey = 257,
    eshcCommand = 258,
    eshcPartialKey = 261,
    eshcMultiKey = 513,
    eshcSetWinPos = 515,
};

// Show states of the help window (cCommonDialog.SetHelpPosition).
enum EShowHelpWindowPos : std::int32_t {
    eswpHide = 0,
    eswpShowNormal = 1,
    eswpShowMinimized = 2,
    eswpShowMaximized = 3,
    eswpShowNoActivate = 4,
    eswpShow = 5,
    eswpMinimize = 6,
    eswpShowMinNoActive = 7,
    eswpShowNA = 8,
    eswpRestore = 9,
};

}  // namespace halvex
