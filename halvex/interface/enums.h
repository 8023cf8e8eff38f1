// Family-wide enumerations and records of the library interface. The
// product family's programs use them as parameter types, constants and field
// layouts; the library declares them here once (the class ClsEnumConstant
// exists only to publish them).
//
// Every enumeration member is a 32-bit signed integer; members keep their
// declared order, also where the values do not ascend.
#pragma once

#include <cstdint>

namespace halvex {

// ---- Program and file classes ----

// Kind of the calling program (ClsValmor::MirvaProg). A parameter of this
// type with the value 0 means the current program kind.
enum MirvaPrograms : std::int32_t {
    MirvaData = 1,
    MirvaGraphic = 2,
    MirvaList = 3,
    MirvaSection = 4,
    MirvaSolver = 5,
    MirvaTool = 6,
    MirvaSpaceGraphic = 7,
    MirvaEditor = 8,
    MirvaBOHR = 9,
    ProgBOHR = 10,
};

// Class of a list of file extensions, used to choose dialog titles.
enum ValmorFileType : std::int32_t {
    MirvaProject = 1,
    BOHRFile = 2,
    TextEditorFile = 3,
    LoadFiles = 4,
};

enum DocType : std::int32_t {
    ViewData = 1,
    ViewResultType = 2,
    PrintData = 3,
    PrintResult = 4,
    ResultThroughTextEditor = 5,
    DataThroughTextEditor = 6,
};

// Bit flags of the control file's compress flag.
enum CompressFlagTypes : std::int32_t {
    CompressedNotUsedFlag = -1,
    NoCompressedFlag = 0,
    CompressInputDataFlag = 1,
    CompressIntermediateResults = 2,
    CompressFinalResults = 4,
};

// ---- Files and input ----

// Mode argument of every file-open routine.
enum FileOpenMode : std::int32_t {
    InputMode = 1,
    OutputMode = 2,
    GetRandomMode = 3,
    PutRandomMode = 4,
};

// What a file-open routine shows on the status line (there are no 5 and 6).
enum FileStat : std::int32_t {
    DisplyInformation = 1,
    ReadingFile = 2,
    SavingFile = 3,
    DisplyFileName = 4,
    NotDisplay = 7,
};

// The checks of typed input.
enum InputTypeMode : std::int32_t {
    InputInteger = 1,
    InputSingle = 2,
    InputDouble = 3,
    InputString = 4,
    InputVariant = 5,
    InputSingleZeroOrGreater = 6,
    InputSingleGreaterZero = 7,
    InputSingleWithoutLimit = 8,
    InputSingleGreaterZeroButNotMax = 9,
};

// Decimal separator of the system.
enum SystemType : std::int32_t {
    SystemPoint = 1,
    SystemComma = 2,
};

// Limits of integer input (deliberately not -32768 and 32767).
enum IntegerLimits : std::int32_t {
    MinInteger = -32000,
    MaxInteger = 32000,
};

// ---- Analysis ----

// The project's analysis method; 14 is not a method.
enum CalculationMethod : std::int32_t {
    ModulusOfCompressibilty = 1,
    HalfSpace = 2,
    Givensubgrade = 3,
    ConventionalMethod = 4,
    Varhold1997 = 5,
    Tamrel1984 = 6,
    RigidSlab = 7,
    subgradeFromHalfSpace = 8,
    subgradeFromModulusOfCompressibilty = 9,
    SystemOfElasticSlabs = 10,
    SystemOfRigidSlabs = 11,
    SystemOfFlexibleSlabs = 12,
    FlexibleFoundation = 13,
    MethodSlabFloor = 15,
    MethodGridbeams = 16,
    Varhold1997_HalfSpace = 17,
    Tamrel1984_HalfSpace = 18,
    RigidSlab_HalfSpace = 19,
    FlexibleFoundation_HalfSpace = 20,
    MethodPlaneFrame = 21,
    MethodWallPlate = 22,
};

// State of a running calculation (there is no 8).
enum SolvingState : std::int32_t {
    StartSolving = 0,
    StopAndSaveResults = 1,
    MakePause = 2,
    ExitWithoutSaving = 3,
    EndSolving = 4,
    EndSolvingByAccuracy = 5,
    EndSolvingByCycleNo = 6,
    EndSingleIteration = 7,
    EndSystemIteration = 9,
};

// Bit flags of element sides and corner nodes, stored per corner of a net
// element.
enum FElementSideType : std::int32_t {
    OuterSide = 1,
    BoundaryNode = 2,
    FreeNode = 16,
    BoundarySide = 4,
    InnerSide = 8,
    RepeatedSide = 32,
    SolidDrawOuterSide = 64,
};

enum SpringAxis : std::int32_t {
    AboutX_Axis = 1,
    AboutY_Axis = 2,
    AboutZ_Axis = 3,
};

// ---- Drawing and settings ----

enum GraphicOrdinates : std::int32_t {
    BoundaryOrdinate = 1,
    BoundaryCircDiameter = 2,
    LoadOrdinate = 3,
    SpringOrdinate = 4,
    SpringCircDiameter = 5,
    LoadCircDiameter = 6,
    BohrCircDiameter = 7,
    SymbolOfSymmetry = 8,
    SeparatedElementsOrdinate = 9,
    ReferencePointOrdinate = 10,
    IsometricOrdinate = 11,
    PlatThicknessOrdinate = 12,
    PlanCurveOrdinate = 13,
    CircularDiameter = 14,
    ReactionOrdinate = 15,
    MainMomentOrdinate = 16,
    DeformationOrdinateVector = 17,
    DeformationOrdinateMesh = 18,
    AxisDirectionOrdinate = 19,
    PileOrdinate = 20,
};

enum SpaceOrdinates : std::int32_t {
    AxisDirectionOrdinate_space = 6,
    DistributionOrdinate = 7,
    LocalAxisDirectionOrdinate_space = 8,
    ReactionOrdinate_space = 9,
    DistributedLoad_Space = 10,
    Deformation_Space = 11,
};

enum DataOrdinates : std::int32_t {
    AdSeCircDiameter = 9,
};

enum SectionOrdinates : std::int32_t {
    SymoleSize = 1,
    VOrdinate = 2,
};

enum BOHROrdinates : std::int32_t {
    BoringOrdinate_Bohr = 1,
    FoundOrdinate_Bohr = 2,
    MeasurBarOrdinate_Bohr = 3,
    SeparateDistance = 4,
    WaterTable = 5,
    LimitDepthOrdinate_Bohr = 6,
    SampleSize = 7,
};

enum GraphicDisplayValues : std::int32_t {
    SystemlastenBeschriftenFlag = 1,
    RandbedingungenBeschriftenFlag = 2,
    SpringBeschriftenFlag = 3,
    ElementgruppenBeschriftenFlag = 4,
    BeamElementFlag = 5,
    PileGroupFlag = 6,
    BeamResultFlag = 7,
    AchsenBeschriftenFlag = 8,
    AuflagerkrafteBeschriftenFlag = 9,
    PlattendickeBeschriftenFlag = 10,
    IsometrischeBeschriftenFlag = 11,
    IsolinienBeschriftenFlag = 12,
    KreisdigrammBeschriftenFlag = 13,
    VerlaeufeBeschriftenFlag = 14,
    BodenverformungenVektorenBeschriftenFlag = 15,
    VerformtesNetzBeschriftenFlag = 16,
    DisplayPunchingResualtsFalg = 17,
    DisplayColumnTypeFalg = 18,
};

enum DataDisplayValues : std::int32_t {
    BodensenkungBeschriftenFlag = 7,
};

enum BohrDisplayValues : std::int32_t {
    BohrBPNFlag = 1,
    LayerTextFlag = 2,
    LayerDepthFlag = 3,
    LayerSymbolFlag = 4,
    MeasureBarFlag = 5,
    FoundationFlag = 6,
    WaterLevelFlag = 7,
    LimitDepthFlag = 8,
    StressValuesFlag = 9,
};

enum FontDescription : std::int32_t {
    FontDataResult = 1,
    FontTitle = 2,
    FontSchriftfeld = 3,
    FontLegend = 4,
    FontAxes = 5,
};

// First colour index of each group in the colour settings (steps of 14).
enum PaintStartNo : std::int32_t {
    MaterialStartNo = 11,
    GirderGroupStartNo = 25,
    subAreaOfBoringStartNo = 39,
    PileGroupStartNo = 53,
    ColumnGroupStartNo = 67,
};

// The text-alignment values of the drawing interface.
enum TextAlingment : std::int32_t {
    TA_RIGHT = 2,
    TA_CENTER = 6,
    TA_BASELINE = 24,
    TA_RTLREADING = 256,
};

// ---- Device queries (the drawing interface's values, re-declared) ----

enum FillModeAndGetSizeParameters : std::int32_t {
    TRANSPARENT = 1,
    OPAQUE = 2,
    HORZSIZE = 4,
    VERTSIZE = 6,
    HORZRES = 8,
    VERTRES = 10,
    LOGPIXELSX = 88,
    LOGPIXELSY = 90,
    PHYSICALWIDTH = 110,
    PHYSICALHEIGHT = 111,
    PHYSICALOFFSETX = 112,
    PHYSICALOFFSETY = 113,
};

enum PrinterEscapes : std::int32_t {
    STARTDOCAPI = 10,
    ENDDOCAPI = 11,
    GETPHYSPAGESIZE = 12,
    GETPRINTINGOFFSET = 13,
    GETSETPRINTORIENT = 30,
};

// ---- Records: every field 4 bytes, no gaps ----

struct RECT {
    std::int32_t Left = 0;
    std::int32_t Top = 0;
    std::int32_t Right = 0;
    std::int32_t Bottom = 0;
};

// An integer point; the program uses it for the vertices of its polygon
// regions.
struct POINTAPI {
    std::int32_t X = 0;
    std::int32_t Y = 0;
};

// A single-precision point; the program uses it for line end points and
// single points of the slab.
struct SinglePoint {
    float X = 0.0f;
    float Y = 0.0f;
};

struct SingleRECT {
    float Left = 0.0f;
    float Top = 0.0f;
    float Right = 0.0f;
    float Bottom = 0.0f;
};

struct Size {
    std::int32_t cx = 0;
    std::int32_t cy = 0;
};

static_assert(sizeof(RECT) == 16 && sizeof(POINTAPI) == 8 && sizeof(SinglePoint) == 8 &&
              sizeof(SingleRECT) == 16 && sizeof(Size) == 8);

// Declares nothing but publishes the enumerations and records above: a
// class without members.
class ClsEnumConstant {};

}  // namespace halvex
