#include "orvelo/project/transfer.h"

#include <algorithm>
#include <cmath>
#include <exception>
#include <filesystem>
#include <system_error>
#include <utility>

#include "halvex/interface/enums.h"
#include "orvelo/model/boring_data.h"
#include "orvelo/model/declar.h"
#include "orvelo/project/bas_data.h"
#include "orvelo/project/boring_file.h"
#include "orvelo/project/boring_layout.h"
#include "orvelo/project/data_file_io.h"
#include "orvelo/project/data_files.h"
#include "orvelo/project/line_members.h"
#include "orvelo/project/output_folder.h"
#include "orvelo/project/services.h"
#include "outside/quillon/language_text.h"
#include "platform/forms/msgbox.h"
#include "platform/forms/screen.h"
#include "platform/runtime/datachannel.h"
#include "platform/runtime/errors.h"
#include "platform/runtime/paths.h"
#include "platform/runtime/strings.h"

namespace orvelo {

namespace {

constexpr TransferKind kListingOrder[] = {
    TransferKind::LineMembers, TransferKind::Springs,  TransferKind::PrescribedDofs,
    TransferKind::Piles,       TransferKind::ElementZones, TransferKind::Borings,
    TransferKind::NodalLoads,  TransferKind::NodeValues,
};

// The file a kind is looked for by, for the project's calculation method.
const char* kindExtension(TransferKind kind, std::int32_t method) {
    switch (kind) {
    case TransferKind::LineMembers: return "GL1";
    case TransferKind::Springs: return method == 21 ? "P81" : method == 22 ? "P91" : "P35";
    case TransferKind::PrescribedDofs: return method == 21 ? "P61" : method == 22 ? "P71" : "P31";
    case TransferKind::Piles: return "PIL";
    case TransferKind::ElementZones: return "P21";
    case TransferKind::Borings: return "P41";
    case TransferKind::NodalLoads: return method == 21 ? "PCF" : method == 22 ? "PCW" : "PC1";
    case TransferKind::NodeValues: return "PV1";
    }
    return "";
}

// True when the project header says the project holds the kind's data
// (beams, point springs, prescribed degrees of freedom, piles): its file
// must then be there.
bool declaredByHeader(TransferKind kind, const Declar& d) {
    const bool nodeSupportsUsed = d.AnalysisMethod != 13;
    switch (kind) {
    case TransferKind::LineMembers: return d.HeaderOption7 == 1;
    case TransferKind::Springs: return nodeSupportsUsed && d.HeaderOption5 == 1;
    case TransferKind::PrescribedDofs: return nodeSupportsUsed && d.HeaderOption6 == 1;
    case TransferKind::Piles: return d.HeaderOption13 == 1;
    case TransferKind::NodeValues:
        return d.HeaderOption3 == 1 && d.AnalysisMethod != 15 && d.AnalysisMethod != 22;
    default: return false;
    }
}

// The output project's boring layout belongs to the old net's nodes: when
// the borings are not laid out anew, the output holds no .P41.
void dropOldBoringLayout() {
    const Declar& d = declar();
    const std::string layout = rt::findFileCaseInsensitive(rt::projectFilePath(d.OutputDir, d.OutputName, "P41"));
    if (layout.empty()) return;
    std::error_code ec;
    std::filesystem::remove(layout, ec);
    if (ec) raiseWriteError(fileSystemErrorNumber(ec), layout);
    NoteStagedFile(layout);
}

// Methods whose projects carry no boring regions.
bool methodWithoutBorings(std::int32_t method) {
    return method == 2 || method == 4 || method == 8 || (method >= 17 && method <= 20);
}

void busy() { forms::screen().MousePointer(11); }
void normalPointer() { forms::screen().MousePointer(0); }

// A file of that name (its name compared without regard to case) is
// there, but it is no regular file: a folder, a FIFO, a device, a dangling
// or looping link.
bool presentButNotRegular(const std::string& path) {
    namespace fs = std::filesystem;
    if (!rt::findFileCaseInsensitive(path).empty()) return false;
    const fs::path wanted(path);
    const fs::path folder = wanted.has_parent_path() ? wanted.parent_path() : fs::path(".");
    const std::string name = rt::lcase(wanted.filename().string());
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec); !ec && it != fs::directory_iterator(); it.increment(ec))
        if (rt::lcase(it->path().filename().string()) == name) return true;
    return false;
}

// The missing-file message of the library for path (a file that is there
// but no regular file counts as missing); the run is stopped.
void reportMissingFile(const std::string& path) {
    SharedServices().Prod(path);
    if (OpenDataFile(path, halvex::InputMode, 1, halvex::ReadingFile) == 0) CloseDataFile(1);
}

// The node-data files a kind carries to the new net whatever the method:
// every file of the kind whose layout the store knows. Method 21's own
// files (.P81, .P61, .PCF) and .PC1 are not among them and stay as copied.
std::vector<NodeDataFile> carriedNodeDataFiles(TransferKind kind, std::int32_t method) {
    switch (kind) {
    case TransferKind::Springs:
        return method == 22 ? std::vector{NodeDataFile::P91, NodeDataFile::P35}
                            : std::vector{NodeDataFile::P35, NodeDataFile::P91};
    case TransferKind::PrescribedDofs:
        return method == 22 ? std::vector{NodeDataFile::P71, NodeDataFile::P31}
                            : std::vector{NodeDataFile::P31, NodeDataFile::P71};
    case TransferKind::Piles: return {NodeDataFile::PIL};
    case TransferKind::NodalLoads: return {NodeDataFile::PCW};
    case TransferKind::NodeValues: return {NodeDataFile::PV1};
    default: return {};
    }
}

// Record 2 of the boring layout at path, the boring count it was made for,
// into count. False when the file could not be opened (reported there).
bool readLayoutBoringCount(const std::string& path, std::int16_t& count) {
    SharedServices().Prod(path);
    if (OpenDataFile(path, halvex::GetRandomMode, 1, 0) != 0) return false;
    rt::RecordFile& records = rt::dataChannel().records();
    if (records.recordCount() < 2) {
        CloseDataFile(1);
        raiseReadError(62, path);
    }
    count = records.getInteger(2);
    CloseDataFile(1);
    return true;
}

// The borings row of the listing, for the input project at prefix. found
// comes in as whether its .P41 is there, and goes out as whether the
// borings are carried (BoringCount of .BAU at least two). A layout made for
// two or more borings needs the .BAU it was made from: a .BAU that is
// missing, no regular file, unreadable or of another boring count, and a
// .P41 that is no regular file or cannot be read, are reported naming the
// file; the result is then false and the run stops. A project without a
// .P41, or whose layout has one boring, looks for .BAU quietly.
bool listBorings(const std::string& prefix, bool& found) {
    BoringData& borings = boringData();
    borings.BoringCount = 0;
    const std::string layoutPath = prefix + ".P41";
    const std::string boringsPath = prefix + ".BAU";
    if (!found && presentButNotRegular(layoutPath)) {
        reportMissingFile(layoutPath);
        return false;
    }
    std::int16_t layoutCount = 0;
    try {
        if (found && !readLayoutBoringCount(rt::findFileCaseInsensitive(layoutPath), layoutCount)) return false;
        if (!rt::findFileCaseInsensitive(boringsPath).empty()) {
            ReadBoringCount(prefix);
        } else if (layoutCount >= 2) {
            reportMissingFile(boringsPath);
            return false;
        }
    } catch (const forms::MsgBoxError&) {
        throw;
    } catch (const std::exception&) {
        HandleError();
        borings.BoringCount = 0;
        return false;
    }
    if (layoutCount >= 2 && borings.BoringCount != layoutCount) {
        normalPointer();
        const quillon::ClsLanguageText& texts = LanguageTexts();
        forms::MsgBox(texts.GetText(rt::Variant(quillon::TextNo(190200)),
                                    {rt::Variant("|1"), rt::Variant(ShownFilePath(rt::findFileCaseInsensitive(boringsPath), true)),
                                     rt::Variant("|2"), rt::Variant(borings.BoringCount), rt::Variant("|3"),
                                     rt::Variant(ShownFilePath(rt::findFileCaseInsensitive(layoutPath), true)),
                                     rt::Variant("|4"), rt::Variant(layoutCount)}),
                      forms::vbCritical | texts.MessageBoxFlags(), texts.GetText(rt::Variant(quillon::TextNo(10043))));
        borings.BoringCount = 0;
        return false;
    }
    found = found && borings.BoringCount >= 2;
    return true;
}


void stopRun() { RunControl().RunState(static_cast<std::int16_t>(halvex::ExitWithoutSaving)); }

// The output project becomes the project the readers and writers use.
void makeOutputCurrent() {
    Declar& d = declar();
    d.DataDir = d.OutputDir;
    d.ProjectName = d.OutputName;
    d.CurrentDataDir = d.OutputDir;
    d.CurrentProjectName = d.OutputName;
}

// A message of the transfer: text textNo with its replacement pairs, under
// the transfer's title.
void showNotice(std::int32_t textNo, std::int32_t icon, const std::vector<rt::Variant>& pairs = {}) {
    normalPointer();
    const quillon::ClsLanguageText& texts = LanguageTexts();
    forms::MsgBox(texts.GetText(rt::Variant(textNo), pairs), icon | texts.MessageBoxFlags(),
                  texts.GetText(rt::Variant(quillon::TextNo(10225))));
}

// Tells why a kind's file was not read, when the project should have had
// it readable (a missing copy, a refused file); a reading error already
// reported needs nothing more.
void reportNotRead(DataFileRead outcome, const std::string& path) {
    if (outcome == DataFileRead::Missing || outcome == DataFileRead::Refused)
        showNotice(quillon::TextNo(10294), forms::vbExclamation,
                   {rt::Variant("|1"), rt::Variant(ShownFilePath(path, true))});
}

// The centre of an element of a net given by its lists, in Single.
void centroidOf(const NetElement& element, const std::vector<float>& xs,
                const std::vector<float>& ys, float& cx, float& cy) {
    if (element.CornerCount < 1 || element.CornerCount > 4) rt::raise(9);
    float sumX = 0.0f;
    float sumY = 0.0f;
    for (int c = 1; c <= element.CornerCount; ++c) {
        const std::int16_t node = element.Node[c];
        if (node < 1 || static_cast<std::size_t>(node) >= xs.size() ||
            static_cast<std::size_t>(node) >= ys.size())
            rt::raise(9);
        sumX += xs[node];
        sumY += ys[node];
    }
    cx = sumX / static_cast<float>(element.CornerCount);
    cy = sumY / static_cast<float>(element.CornerCount);
}

double squaredDistance(float ax, float ay, float bx, float by) {
    const float dx = ax - bx;
    const float dy = ay - by;
    return static_cast<double>(dx) * dx + static_cast<double>(dy) * dy;
}

// Two places closer than this in both coordinates are one place: 0.001 in
// the unit of the net's coordinates, whatever net type made the net.
float coincidenceTolerance() {
    const float factor = GeometryHelper().UnitFactor();
    if (!(factor > 0.0f) || !std::isfinite(factor)) return 0.001f;
    return static_cast<float>(0.001 / static_cast<double>(factor));
}

// What the last transfer had to leave out, for the end of the run.
std::string& lostEntriesNote() {
    static std::string note;
    return note;
}

// Restores declar().NodeCount however the scope ends.
class NodeCountOverride {
public:
    explicit NodeCountOverride(std::int16_t count) : saved_(declar().NodeCount) {
        declar().NodeCount = count;
    }
    ~NodeCountOverride() { declar().NodeCount = saved_; }
    NodeCountOverride(const NodeCountOverride&) = delete;
    NodeCountOverride& operator=(const NodeCountOverride&) = delete;

private:
    std::int16_t saved_;
};

template <class T>
void resizeKeeping(std::vector<T>& list, std::size_t size, const T& fill = T{}) {
    list.resize(size, fill);
}

}  // namespace

std::int32_t TransferKindTextNo(TransferKind kind) {
    switch (kind) {
    case TransferKind::LineMembers: return quillon::TextNo(10032);
    case TransferKind::Springs: return quillon::TextNo(140015);
    case TransferKind::PrescribedDofs: return quillon::TextNo(10042);
    case TransferKind::Piles: return quillon::TextNo(40023);
    case TransferKind::ElementZones: return quillon::TextNo(140176);
    case TransferKind::Borings: return quillon::TextNo(10043);
    case TransferKind::NodalLoads: return quillon::TextNo(140169);
    case TransferKind::NodeValues: return quillon::TextNo(10041);
    }
    return 0;
}

NodeDataTransfer::~NodeDataTransfer() = default;

std::string TakeTransferLossNote() {
    std::string note = std::move(lostEntriesNote());
    lostEntriesNote().clear();
    return note;
}

void NodeDataTransfer::noteLostEntries(TransferKind kind, std::int32_t lost) {
    if (lost <= 0) return;
    const quillon::ClsLanguageText& texts = LanguageTexts();
    std::string& note = lostEntriesNote();
    if (!note.empty()) note += "\n";
    note += texts.GetText(rt::Variant(quillon::TextNo(190201)),
                          {rt::Variant("|1"), rt::Variant(texts.GetText(rt::Variant(TransferKindTextNo(kind)))),
                           rt::Variant("|2"), rt::Variant(lost)});
}

std::int16_t NodeDataTransfer::ListDataToTransfer() {
    Declar& d = declar();
    halvex::ClsValmor& services = SharedServices();
    try {
        busy();
        foundKinds_.clear();
        foundKindTexts_.clear();
        lostEntriesNote().clear();
        const quillon::ClsLanguageText& texts = LanguageTexts();
        carriedFiles_.clear();
        const std::string prefix = d.DataDir + d.ProjectName;
        // The missing-file message naming path (a file that is there but no
        // regular file counts as missing), and the run stops.
        const auto stopForUnreadable = [&](const std::string& path) {
            reportMissingFile(path);
            makeOutputCurrent();
            stopRun();
            normalPointer();
        };
        for (TransferKind kind : kListingOrder) {
            services.Prod(prefix + "." + kindExtension(kind, d.AnalysisMethod));
            const std::string ownPath = services.Prod();
            const bool ownFound = !rt::findFileCaseInsensitive(ownPath).empty();
            bool found = ownFound;
            // The other methods' files of the kind whose layout is known
            // are carried as well: the project stays right when its method
            // is changed.
            for (NodeDataFile file : carriedNodeDataFiles(kind, d.AnalysisMethod)) {
                const std::string path = prefix + "." + NodeDataFileExtension(file);
                if (!rt::findFileCaseInsensitive(path).empty()) {
                    carriedFiles_.push_back(file);
                    found = true;
                } else if (file == NodeDataFile::PV1 && presentButNotRegular(path)) {
                    // The values per node are read whatever the header
                    // says (unless it says 2): a file of that name that
                    // cannot be read would drop them unseen.
                    stopForUnreadable(path);
                    return 0;
                }
            }
            if (kind == TransferKind::Borings) {
                if (methodWithoutBorings(d.AnalysisMethod)) continue;
                if (!listBorings(prefix, found)) {
                    makeOutputCurrent();
                    stopRun();
                    normalPointer();
                    return 0;
                }
            }
            if (!ownFound && declaredByHeader(kind, d)) {
                // Declared but missing (or no regular file): the missing-file
                // message names it, and the run stops, as for the solver
                // files.
                stopForUnreadable(ownPath);
                return 0;
            }
            if (!found) continue;
            foundKinds_.push_back(kind);
            foundKindTexts_.push_back(texts.GetText(rt::Variant(TransferKindTextNo(kind))));
        }
        if (std::find(foundKinds_.begin(), foundKinds_.end(), TransferKind::Borings) == foundKinds_.end())
            dropOldBoringLayout();
        if (!foundKinds_.empty()) {
            transferKinds_ = foundKinds_;
            TransferProjectData();
        } else {
            makeOutputCurrent();
        }
    } catch (const forms::MsgBoxError&) {
        throw;  // a box nobody answered: a fault of a test, not of the data
    } catch (const std::exception&) {
        HandleError();
        makeOutputCurrent();
        stopRun();
    }
    normalPointer();
    return 0;
}

void NodeDataTransfer::GetNewNodeNumber(float XGriDOld, float YGriDOld, std::int16_t& result) {
    const Declar& d = declar();
    if (d.NodeCount < 1)
        rt::raise(9, LanguageTexts().GetText(rt::Variant(quillon::TextNo(10292))));
    const float tolerance = static_cast<float>(0.01 * static_cast<double>(d.DrawingScale));
    result = newNodes_ ? newNodes_->Find(XGriDOld, YGriDOld, tolerance)
                       : NearestNodeByScan(XGriDOld, YGriDOld, tolerance, d.NodeX, d.NodeY,
                                           d.NodeCount);
}

void NodeDataTransfer::TransferProjectData() {
    Declar& d = declar();
    busy();
    if (drovik::ClsWaitWindow* window = OperationWaitWindow())
        window->Title(LanguageTexts().GetText(rt::Variant(quillon::TextNo(10225))));

    // Without the old net the files would keep the old node numbers while
    // the project holds the new net: the run stops with a message.
    if (!d.SourceNetLoaded || d.SourceNet.NodeCount < 1) {
        makeOutputCurrent();
        showNotice(quillon::TextNo(10290), forms::vbCritical);
        stopRun();
        return;
    }
    if (d.NodeCount < 1) {
        makeOutputCurrent();
        showNotice(quillon::TextNo(10292), forms::vbCritical);
        stopRun();
        return;
    }
    oldNodeCount_ = d.SourceNet.NodeCount;
    OldNetX = d.SourceNet.NodeX;
    OldNetY = d.SourceNet.NodeY;
    oldElementCount_ = d.SourceNet.ElementCount;
    oldElementList_ = d.SourceNet.ElementList;
    makeOutputCurrent();

    struct ForgetOldNet {
        NodeDataTransfer& transfer;
        ~ForgetOldNet() {
            transfer.OldNetX.clear();
            transfer.OldNetY.clear();
            transfer.oldElementList_.clear();
            transfer.newNodes_.reset();
        }
    } forgetOldNet{*this};

    try {
        newNodes_ = std::make_unique<NodeLocator>(d.NodeX, d.NodeY, d.NodeCount);
        for (TransferKind kind : transferKinds_) {
            // The kind is found by its id, never by its display text.
            const auto found = std::find(foundKinds_.begin(), foundKinds_.end(), kind);
            if (found == foundKinds_.end()) continue;
            const std::size_t j = static_cast<std::size_t>(found - foundKinds_.begin());
            busy();
            if (drovik::ClsWaitWindow* window = OperationWaitWindow())
                window->StatusText(foundKindTexts_[j]);
            const KindResult result = transferKind(kind);
            normalPointer();
            // A stop, or a kind that could not be carried over, ends the
            // run: the output project would keep a file of the old net.
            if (result == KindResult::Cancelled || result == KindResult::Failed ||
                OperationStopRequested(false)) {
                stopRun();
                return;
            }
        }
        if (drovik::ClsWaitWindow* window = OperationWaitWindow()) window->Close();
    } catch (const forms::MsgBoxError&) {
        throw;  // a box nobody answered: a fault of a test, not of the data
    } catch (const std::exception&) {
        HandleError();
        stopRun();
    }
}

void NodeDataTransfer::RemapNodeArray(std::vector<std::int16_t>& nodes, std::int16_t& cancelled) {
    cancelled = -1;
    if (OperationStopRequested(false)) return;
    const auto upper = static_cast<std::int32_t>(nodes.empty() ? 0 : nodes.size() - 1);
    SetOperationProgressMax(upper);
    for (std::int32_t k = 1; k <= upper; ++k) {
        if (OperationStopRequested(true)) return;
        const std::int16_t old = nodes[static_cast<std::size_t>(k)];
        std::int16_t mapped = 0;
        GetNewNodeNumber(OldNetX.at(old), OldNetY.at(old), mapped);
        nodes[static_cast<std::size_t>(k)] = mapped;
    }
    if (OperationStopRequested(false)) return;
    cancelled = 0;
}

NodeDataTransfer::KindResult NodeDataTransfer::transferKind(TransferKind kind) {
    const std::int32_t method = declar().AnalysisMethod;
    // An error in one kind (a file that cannot be read or written) is
    // reported and ends the transfer.
    try {
        switch (kind) {
        case TransferKind::LineMembers: return transferLineMembers();
        case TransferKind::ElementZones: return transferElementZones();
        case TransferKind::Borings: return transferBorings();
        case TransferKind::Springs:
        case TransferKind::PrescribedDofs:
        case TransferKind::Piles:
        case TransferKind::NodalLoads:
        case TransferKind::NodeValues: {
            KindResult result = KindResult::Skipped;
            for (NodeDataFile file : carriedNodeDataFiles(kind, method)) {
                if (std::find(carriedFiles_.begin(), carriedFiles_.end(), file) == carriedFiles_.end()) continue;
                const KindResult fileResult = transferNodeDataFile(file);
                if (fileResult == KindResult::Cancelled || fileResult == KindResult::Failed) return fileResult;
                if (fileResult == KindResult::Done) result = KindResult::Done;
            }
            return result;
        }
        }
    } catch (const forms::MsgBoxError&) {
        throw;  // a box nobody answered: a fault of a test, not of the data
    } catch (const std::exception&) {
        HandleError();
        return KindResult::Failed;
    }
    return KindResult::Skipped;
}

bool NodeDataTransfer::oldNodesValid(const std::vector<std::int16_t>& nodes, std::int16_t count,
                                     const std::string& path) const {
    const auto upper = std::min<std::size_t>(static_cast<std::size_t>(std::max<std::int16_t>(count, 0)),
                                             nodes.empty() ? 0 : nodes.size() - 1);
    for (std::size_t k = 1; k <= upper; ++k) {
        if (nodes[k] >= 1 && nodes[k] <= oldNodeCount_) continue;
        showNotice(quillon::TextNo(10291), forms::vbInformation,
                   {rt::Variant("|1"), rt::Variant(ShownFilePath(path, true)), rt::Variant("|2"),
                    rt::Variant(nodes[k])});
        return false;
    }
    return true;
}

NodeDataTransfer::KindResult NodeDataTransfer::transferNodeDataFile(NodeDataFile file) {
    const std::string path = CurrentProjectFile(NodeDataFileExtension(file));
    // The values per node are one a line for every node of the old net.
    const DataFileRead outcome = ReadNodeDataFile(file, oldNodeCount_);
    // A project that says it holds none of the data keeps its file as copied.
    if (outcome == DataFileRead::NotUsed) return KindResult::Skipped;
    if (outcome != DataFileRead::Read) {
        reportNotRead(outcome, path);
        return KindResult::Failed;
    }
    BasData& b = basData();
    std::vector<std::int16_t>& nodes = NodeDataFileNodes(b, file);
    // Lists sized by their reader: every entry is one of the file's nodes.
    nodes.resize(static_cast<std::size_t>(NodeDataFileNodeCount(b, file)) + 1);
    if (!oldNodesValid(nodes, NodeDataFileNodeCount(b, file), path)) return KindResult::Failed;
    const std::vector<std::int16_t> oldNodes = nodes;
    std::int16_t cancelled = 0;
    RemapNodeArray(nodes, cancelled);
    if (cancelled != 0) return KindResult::Cancelled;
    // One value per node: where old nodes fall on one new node, the value of
    // the old node nearest to it stays, and the loss is told at the end.
    if (file == NodeDataFile::PV1) noteLostEntries(TransferKind::NodeValues, keepNearestValues(oldNodes));
    return WriteNodeDataFile(file) ? KindResult::Done : KindResult::Failed;
}

NodeDataTransfer::KindResult NodeDataTransfer::transferLineMembers() {
    const std::string path = CurrentProjectFile("GL1");
    const DataFileRead outcome = ReadLineMembersFile();
    if (outcome != DataFileRead::Read) {
        reportNotRead(outcome, path);
        return KindResult::Failed;
    }
    BasData& b = basData();
    const std::int16_t m = b.MemberCount;
    if (!oldNodesValid(b.MemberStartNode, m, path) || !oldNodesValid(b.MemberEndNode, m, path))
        return KindResult::Failed;

    std::vector<std::int16_t> sets(1), starts(1), ends(1);
    std::int32_t undefinedSets = 0;
    std::int32_t firstUndefined = 0;
    SetOperationProgressMax(m);
    for (int k = 1; k <= m; ++k) {
        if (OperationStopRequested(true)) return KindResult::Cancelled;
        // A member of a property set the file does not define cannot be
        // written with its net edges: it is left out (and reported below).
        if (b.MemberPropertySet[k] < 1 || b.MemberPropertySet[k] > b.PropertySetCount) {
            if (undefinedSets++ == 0) firstUndefined = k;
            continue;
        }
        std::int16_t a = 0;
        std::int16_t c = 0;
        const std::int16_t s = b.MemberStartNode[k];
        const std::int16_t t = b.MemberEndNode[k];
        GetNewNodeNumber(OldNetX[s], OldNetY[s], a);
        GetNewNodeNumber(OldNetX[t], OldNetY[t], c);
        // A member whose ends fall on one new node has no length left.
        if (a == c) continue;
        sets.push_back(b.MemberPropertySet[k]);
        starts.push_back(a);
        ends.push_back(c);
    }
    if (undefinedSets > 0)
        showNotice(quillon::TextNo(10293), forms::vbInformation,
                   {rt::Variant("|1"), rt::Variant(undefinedSets), rt::Variant("|2"),
                    rt::Variant(ShownFilePath(path, true)), rt::Variant("|3"), rt::Variant(firstUndefined),
                    rt::Variant("|4"), rt::Variant(b.MemberPropertySet[firstUndefined])});
    b.MemberCount = checkedNetCount(static_cast<long long>(sets.size()) - 1);
    b.MemberPropertySet = std::move(sets);
    b.MemberStartNode = std::move(starts);
    b.MemberEndNode = std::move(ends);
    if (OperationStopRequested(false)) return KindResult::Cancelled;
    return WriteLineMembers() ? KindResult::Done : KindResult::Failed;
}

NodeDataTransfer::KindResult NodeDataTransfer::transferElementZones() {
    const Declar& d = declar();
    halvex::ClsValmor& services = SharedServices();
    services.Prod(rt::projectFilePath(d.DataDir, d.ProjectName, "P21"));
    const std::string path = services.Prod();
    std::vector<std::int16_t> zones(static_cast<std::size_t>(d.ElementCount) + 1, 0);

    if (OpenDataFile(path, halvex::GetRandomMode, 1, 0) != 0) return KindResult::Failed;
    std::int32_t zoneCount = 0;
    std::vector<std::int16_t> oldZones;
    try {
        rt::RecordFile& records = rt::dataChannel().records();
        zoneCount = records.getInteger(2);
        if (zoneCount < 0) rt::raise(9);
        if (zoneCount != 1) {
            // One zone number per old element from record 3K + 10 on; a
            // file that ends before the last of them is damaged.
            if (records.recordCount() < 3 * zoneCount + 9 + oldElementCount_) rt::raise(62);
            oldZones.assign(static_cast<std::size_t>(oldElementCount_) + 1, 0);
            for (std::int32_t e = 1; e <= oldElementCount_; ++e)
                oldZones[static_cast<std::size_t>(e)] = records.getInteger(3 * zoneCount + 9 + e);
        }
        CloseDataFile(1);
    } catch (const rt::RuntimeError& error) {
        CloseDataFile(1);
        raiseReadError(error, path);
    }

    if (zoneCount == 1) {
        std::fill(zones.begin() + 1, zones.end(), std::int16_t{1});
    } else {
        if (oldElementCount_ < 1 || oldElementList_.size() < static_cast<std::size_t>(oldElementCount_) + 1)
            raiseReadError(9, path);
        // The centres of the old elements, for the nearest one.
        std::vector<float> oldCx(oldElementList_.size(), 0.0f), oldCy(oldElementList_.size(), 0.0f);
        for (std::int32_t e = 1; e <= oldElementCount_; ++e)
            centroidOf(oldElementList_[static_cast<std::size_t>(e)], OldNetX, OldNetY,
                       oldCx[static_cast<std::size_t>(e)], oldCy[static_cast<std::size_t>(e)]);
        SetOperationProgressMax(d.ElementCount);
        const drovik::ElementIndex oldElements(OldNetX, OldNetY, oldElementList_);
        for (std::int32_t e = 1; e <= d.ElementCount; ++e) {
            if (OperationStopRequested(true)) return KindResult::Cancelled;
            float cx = 0.0f;
            float cy = 0.0f;
            ElementCentroid(static_cast<std::int16_t>(e), cx, cy);
            std::int16_t element = 0;
            std::int16_t located = 0;
            oldElements.LocateElement(element, cx, cy, located);
            if (located == 0 || element < 1 || element > oldElementCount_) {
                // The old element whose centre lies nearest, the first of
                // equally near ones.
                element = 1;
                double best = squaredDistance(cx, cy, oldCx[1], oldCy[1]);
                for (std::int32_t k = 2; k <= oldElementCount_; ++k) {
                    const double dist = squaredDistance(cx, cy, oldCx[static_cast<std::size_t>(k)],
                                                        oldCy[static_cast<std::size_t>(k)]);
                    if (dist < best) {
                        best = dist;
                        element = static_cast<std::int16_t>(k);
                    }
                }
            }
            zones[static_cast<std::size_t>(e)] = oldZones[static_cast<std::size_t>(element)];
        }
    }

    services.Prod(path);
    OpenDataFile(path, halvex::PutRandomMode, 1, 0);
    rt::RecordFile& records = rt::dataChannel().records();
    const std::int32_t firstZoneRecord = 3 * zoneCount + 9;
    for (std::int32_t e = 1; e <= d.ElementCount; ++e)
        records.putInteger(firstZoneRecord + e, zones[static_cast<std::size_t>(e)]);
    // A new net of fewer elements leaves no zone of the old net behind.
    const std::int64_t length =
        static_cast<std::int64_t>(firstZoneRecord + d.ElementCount) * rt::RecordFile::kRecordLength;
    if (records.fileLength() > length) {
        try {
            records.truncate(length);
        } catch (const rt::RuntimeError& error) {
            raiseWriteError(error.number(), path);
        }
    }
    CloseDataFile(1);
    return KindResult::Done;
}

NodeDataTransfer::KindResult NodeDataTransfer::transferBorings() {
    Declar& d = declar();
    BoringData& bd = boringData();
    const std::string prefix = d.DataDir + d.ProjectName;
    const std::string currentLayout = CurrentProjectFile("P41");
    if (!ReadBorings(prefix)) return KindResult::Failed;
    if (!ReadBoringLayoutValues(prefix)) return KindResult::Failed;

    // The layout extent: the new nodes in the system of the borings.
    const drovik::ClsGeometryHelper& geometry = GeometryHelper();
    for (std::int32_t node = 1; node <= d.NodeCount; ++node) {
        float tx = 0.0f;
        float ty = 0.0f;
        geometry.TransformPoint(d.NodeX[node], d.NodeY[node], tx, ty);
        if (node == 1 || tx < bd.ExtentMinX) bd.ExtentMinX = tx;
        if (node == 1 || tx > bd.ExtentMaxX) bd.ExtentMaxX = tx;
        if (node == 1 || ty < bd.ExtentMinY) bd.ExtentMinY = ty;
        if (node == 1 || ty > bd.ExtentMaxY) bd.ExtentMaxY = ty;
    }

    const std::int16_t n = std::max(d.NodeCount, oldNodeCount_);
    const auto nodeSlots = static_cast<std::size_t>(n) + 1;
    const auto boringSlots = static_cast<std::size_t>(bd.BoringCount) + 1;
    bd.BoringTriangleCount = 0;
    bd.BoringStripCount = 0;
    bd.NodeCellBoring.assign(nodeSlots, 0);
    bd.NodeRegion.assign(nodeSlots, 0);
    bd.NodeRegionKind.assign(nodeSlots, std::string());
    bd.NodeLayoutRegion.assign(nodeSlots, 0);
    bd.NodeLayoutKind.assign(nodeSlots, std::string());
    bd.ConstantNodes.assign(nodeSlots, 0);
    bd.ConstantNodeBoring.assign(nodeSlots, 0);
    bd.EdgeOuterX.assign(2 * boringSlots - 1, 0.0f);
    bd.EdgeOuterY.assign(2 * boringSlots - 1, 0.0f);
    bd.EdgeDirX.assign(boringSlots, 0.0f);
    bd.EdgeDirY.assign(boringSlots, 0.0f);
    bd.BoringLineCount.assign(boringSlots, 0);
    bd.ConstantNodeCount = n;
    for (std::int32_t i = 1; i <= n; ++i) {
        bd.NodeRegionKind[static_cast<std::size_t>(i)] = std::string(kRegionConstant);
        bd.ConstantNodes[static_cast<std::size_t>(i)] = static_cast<std::int16_t>(i);
        bd.ConstantNodeBoring[static_cast<std::size_t>(i)] = 1;
    }
    bd.BoringLayoutKind = d.SymmetryKind == 1 ? 1 : 3;

    {
        // The stored layout belongs to the old net's nodes.
        const NodeCountOverride oldNodes(oldNodeCount_);
        if (rt::findFileCaseInsensitive(currentLayout).empty()) {
            reportNotRead(DataFileRead::Missing, currentLayout);
            return KindResult::Failed;
        }
        ReadBoringFile();
    }
    for (auto* list : {&bd.NodeCellBoring, &bd.NodeRegion, &bd.NodeLayoutRegion, &bd.ConstantNodes,
                       &bd.ConstantNodeBoring})
        resizeKeeping(*list, std::max(list->size(), nodeSlots));
    for (auto* list : {&bd.NodeRegionKind, &bd.NodeLayoutKind})
        resizeKeeping(*list, std::max(list->size(), nodeSlots));
    carryBoringsByPlace();

    if (OperationStopRequested(false)) return KindResult::Cancelled;
    ComputeBoringLayout();
    if (OperationStopRequested(false)) return KindResult::Cancelled;
    WriteBoringFile();
    return KindResult::Done;
}

std::int32_t NodeDataTransfer::keepNearestValues(const std::vector<std::int16_t>& oldNodes) {
    const Declar& d = declar();
    BasData& b = basData();
    const auto count = static_cast<std::size_t>(std::max<std::int16_t>(b.NodeValueCount, 0));
    std::vector<std::size_t> keeper(static_cast<std::size_t>(d.NodeCount) + 1, 0);
    std::vector<double> keeperDistance(keeper.size(), 0.0);
    for (std::size_t k = 1; k <= count; ++k) {
        const auto node = static_cast<std::size_t>(b.NodeValueNodes[k]);
        const auto old = static_cast<std::size_t>(oldNodes[k]);
        const double distance = squaredDistance(OldNetX[old], OldNetY[old], d.NodeX[node], d.NodeY[node]);
        if (keeper[node] == 0 || distance < keeperDistance[node]) {
            keeper[node] = k;
            keeperDistance[node] = distance;
        }
    }
    std::vector<std::int16_t> nodes(1);
    std::vector<float> values(1), asRead(1);
    for (std::size_t k = 1; k <= count; ++k) {
        if (keeper[static_cast<std::size_t>(b.NodeValueNodes[k])] != k) continue;
        nodes.push_back(b.NodeValueNodes[k]);
        values.push_back(b.NodeValues[k]);
        asRead.push_back(k < b.NodeValuesAsRead.size() ? b.NodeValuesAsRead[k] : b.NodeValues[k] / 100.0f);
    }
    const auto lost = static_cast<std::int32_t>(count - (nodes.size() - 1));
    b.NodeValueCount = static_cast<std::int16_t>(nodes.size() - 1);
    b.NodeValueNodes = std::move(nodes);
    b.NodeValues = std::move(values);
    b.NodeValuesAsRead = std::move(asRead);
    return lost;
}

void NodeDataTransfer::carryBoringsByPlace() {
    const Declar& d = declar();
    BoringData& bd = boringData();
    const auto oldSlots = static_cast<std::size_t>(oldNodeCount_) + 1;
    // The boring of every constant node of the old layout, 0 for the others.
    std::vector<std::int16_t> oldBoring(oldSlots, 0);
    const std::size_t listed = std::min({static_cast<std::size_t>(std::max<std::int16_t>(bd.ConstantNodeCount, 0)),
                                         bd.ConstantNodes.size() - 1, bd.ConstantNodeBoring.size() - 1});
    for (std::size_t e = 1; e <= listed; ++e) {
        const std::int16_t node = bd.ConstantNodes[e];
        if (node >= 1 && node <= oldNodeCount_) oldBoring[static_cast<std::size_t>(node)] = bd.ConstantNodeBoring[e];
    }
    // The old constant nodes, for a place whose old node lay in a triangle
    // or a strip of the old layout.
    std::vector<float> constantX(1), constantY(1);
    std::vector<std::int16_t> constantNode(1);
    for (std::size_t o = 1; o < oldSlots; ++o) {
        if (oldBoring[o] == 0) continue;
        constantX.push_back(OldNetX[o]);
        constantY.push_back(OldNetY[o]);
        constantNode.push_back(static_cast<std::int16_t>(o));
    }
    const float tolerance = coincidenceTolerance();
    const NodeLocator oldNodes(OldNetX, OldNetY, oldNodeCount_);
    std::unique_ptr<NodeLocator> constantNodes;
    if (constantNode.size() > 1)
        constantNodes = std::make_unique<NodeLocator>(constantX, constantY,
                                                      static_cast<std::int16_t>(constantNode.size() - 1));

    // What the layout leaves unclaimed keeps the old layout's value at the
    // node's place.
    const std::vector<std::int16_t> oldLayoutRegion = bd.NodeLayoutRegion;
    const std::vector<std::string> oldLayoutKind = bd.NodeLayoutKind;
    const std::vector<std::int16_t> oldCellBoring = bd.NodeCellBoring;
    const auto newSlots = static_cast<std::size_t>(d.NodeCount) + 1;
    std::vector<std::int16_t> boring(newSlots, 1);
    for (std::size_t i = 1; i < newSlots; ++i) {
        const float x = d.NodeX[i];
        const float y = d.NodeY[i];
        const auto o = static_cast<std::size_t>(oldNodes.Find(x, y, tolerance));
        bd.NodeLayoutRegion[i] = oldLayoutRegion[o];
        bd.NodeLayoutKind[i] = oldLayoutKind[o];
        bd.NodeCellBoring[i] = oldCellBoring[o];
        if (oldBoring[o] != 0)
            boring[i] = oldBoring[o];
        else if (constantNodes)
            boring[i] = oldBoring[static_cast<std::size_t>(constantNode[static_cast<std::size_t>(constantNodes->Find(x, y, tolerance))])];
    }
    // Every new node enters the layout as a constant node of that boring;
    // the triangles and strips then claim theirs anew.
    bd.ConstantNodeCount = d.NodeCount;
    for (std::size_t i = 1; i < newSlots; ++i) {
        bd.ConstantNodes[i] = static_cast<std::int16_t>(i);
        bd.ConstantNodeBoring[i] = boring[i];
    }
}

}  // namespace orvelo
