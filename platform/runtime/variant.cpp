#include "platform/runtime/variant.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <new>

#include "platform/runtime/errors.h"
#include "platform/runtime/numbertext.h"
#include "platform/runtime/rounding.h"
#include "platform/runtime/strings.h"

namespace rt {

// ---- VArray ---------------------------------------------------------------

namespace {

// Elements of one dimension lb..ub: error 9 when ub < lb - 1.
std::size_t extentOf(std::int32_t lb, std::int32_t ub) {
    const long long extent = static_cast<long long>(ub) - lb + 1;
    if (extent < 0) raise(9);
    return static_cast<std::size_t>(extent);
}

// Arrays above this many elements are refused with error 7 up front rather
// than by whatever the allocator does.
constexpr std::size_t kMaxElements = std::size_t{1} << 28;

std::size_t checkedProduct(std::size_t a, std::size_t b) {
    if (a != 0 && b > kMaxElements / a) raise(7);
    if (a * b > kMaxElements) raise(7);
    return a * b;
}

std::vector<Variant> freshElements(std::size_t count, VarType elementType) {
    try {
        return std::vector<Variant>(count, Variant::zeroOf(elementType));
    } catch (const std::bad_alloc&) {
        raise(7);
    }
}

}  // namespace

VArray::VArray(VarType elementType) : elementType_(elementType) {}
VArray::VArray(const VArray&) = default;
VArray::VArray(VArray&&) noexcept = default;
VArray& VArray::operator=(const VArray&) = default;
VArray& VArray::operator=(VArray&&) noexcept = default;
VArray::~VArray() = default;

void VArray::redim(std::int32_t lb, std::int32_t ub) {
    const std::size_t n = checkedProduct(1, extentOf(lb, ub));
    elements_ = freshElements(n, elementType_);
    dimensions_ = 1;
    lb_[0] = lb;
    ub_[0] = ub;
    lb_[1] = 0;
    ub_[1] = -1;
}

void VArray::redim(std::int32_t lb1, std::int32_t ub1, std::int32_t lb2, std::int32_t ub2) {
    const std::size_t n = checkedProduct(extentOf(lb1, ub1), extentOf(lb2, ub2));
    elements_ = freshElements(n, elementType_);
    dimensions_ = 2;
    lb_[0] = lb1;
    ub_[0] = ub1;
    lb_[1] = lb2;
    ub_[1] = ub2;
}

void VArray::redimPreserve(std::int32_t lb, std::int32_t ub) {
    if (!isAllocated()) {
        redim(lb, ub);
        return;
    }
    if (dimensions_ != 1) raise(9);
    VArray resized(elementType_);
    resized.redim(lb, ub);
    const std::int32_t from = std::max(lb, lb_[0]);
    const std::int32_t to = std::min(ub, ub_[0]);
    for (std::int32_t i = from; i <= to; ++i) resized.at(i) = std::move(at(i));
    *this = std::move(resized);
}

void VArray::redimPreserve(std::int32_t lb1, std::int32_t ub1, std::int32_t lb2,
                           std::int32_t ub2) {
    if (!isAllocated()) {
        redim(lb1, ub1, lb2, ub2);
        return;
    }
    if (dimensions_ != 2 || lb1 != lb_[0] || ub1 != ub_[0]) raise(9);
    VArray resized(elementType_);
    resized.redim(lb1, ub1, lb2, ub2);
    const std::int32_t from = std::max(lb2, lb_[1]);
    const std::int32_t to = std::min(ub2, ub_[1]);
    for (std::int32_t j = from; j <= to; ++j)
        for (std::int32_t i = lb1; i <= ub1; ++i) resized.at(i, j) = std::move(at(i, j));
    *this = std::move(resized);
}

void VArray::erase() {
    elements_.clear();
    elements_.shrink_to_fit();
    dimensions_ = 0;
    lb_[0] = lb_[1] = 0;
    ub_[0] = ub_[1] = -1;
}

std::int32_t VArray::lbound(int dim) const {
    if (dim < 1 || dim > dimensions_) raise(9);
    return lb_[dim - 1];
}

std::int32_t VArray::ubound(int dim) const {
    if (dim < 1 || dim > dimensions_) raise(9);
    return ub_[dim - 1];
}

std::size_t VArray::offset(std::int32_t i) const {
    if (dimensions_ != 1 || i < lb_[0] || i > ub_[0]) raise(9);
    return static_cast<std::size_t>(static_cast<long long>(i) - lb_[0]);
}

std::size_t VArray::offset(std::int32_t i, std::int32_t j) const {
    if (dimensions_ != 2 || i < lb_[0] || i > ub_[0] || j < lb_[1] || j > ub_[1]) raise(9);
    const auto rows = static_cast<std::size_t>(static_cast<long long>(ub_[0]) - lb_[0] + 1);
    return static_cast<std::size_t>(static_cast<long long>(i) - lb_[0]) +
           rows * static_cast<std::size_t>(static_cast<long long>(j) - lb_[1]);
}

Variant& VArray::at(std::int32_t i) { return elements_[offset(i)]; }
const Variant& VArray::at(std::int32_t i) const { return elements_[offset(i)]; }
Variant& VArray::at(std::int32_t i, std::int32_t j) { return elements_[offset(i, j)]; }
const Variant& VArray::at(std::int32_t i, std::int32_t j) const {
    return elements_[offset(i, j)];
}

bool VArray::operator==(const VArray& other) const {
    if (elementType_ != other.elementType_ || dimensions_ != other.dimensions_) return false;
    for (int d = 0; d < dimensions_; ++d)
        if (lb_[d] != other.lb_[d] || ub_[d] != other.ub_[d]) return false;
    return elements_ == other.elements_;
}

// ---- Variant --------------------------------------------------------------

namespace {

// The number a string holds, error 13 when it holds none.
double numberOfString(const std::string& text) {
    double value = 0;
    if (!parseNumber(text, value)) raise(13);
    return value;
}

}  // namespace

Variant Variant::missing() {
    Variant v;
    v.value_ = MissingTag{};
    return v;
}

Variant Variant::zeroOf(VarType type) {
    switch (type) {
    case VarType::Integer: return Variant(std::int16_t{0});
    case VarType::Long: return Variant(std::int32_t{0});
    case VarType::Single: return Variant(0.0f);
    case VarType::Double: return Variant(0.0);
    case VarType::Boolean: return Variant(false);
    case VarType::String: return Variant(std::string());
    case VarType::Array: return Variant(VArray());
    case VarType::Empty:
    case VarType::Missing: break;
    }
    return Variant();
}

bool Variant::isNumeric() const {
    switch (type()) {
    case VarType::Integer:
    case VarType::Long:
    case VarType::Single:
    case VarType::Double: return true;
    default: return false;
    }
}

std::int16_t Variant::toInteger() const {
    switch (type()) {
    case VarType::Integer: return std::get<std::int16_t>(value_);
    case VarType::Long: return toIntegerChecked(std::get<std::int32_t>(value_));
    default: return CInt(toDouble());
    }
}

std::int32_t Variant::toLong() const {
    switch (type()) {
    case VarType::Integer: return std::get<std::int16_t>(value_);
    case VarType::Long: return std::get<std::int32_t>(value_);
    default: return CLng(toDouble());
    }
}

float Variant::toSingle() const {
    switch (type()) {
    case VarType::Single: return std::get<float>(value_);
    case VarType::String: {
        float value = 0;
        if (!parseSingle(std::get<std::string>(value_), value)) raise(13);
        return value;
    }
    default: return toSingleChecked(toDouble());
    }
}

double Variant::toDouble() const {
    switch (type()) {
    case VarType::Empty: return 0;
    case VarType::Missing: raise(449);
    case VarType::Integer: return std::get<std::int16_t>(value_);
    case VarType::Long: return std::get<std::int32_t>(value_);
    case VarType::Single: return std::get<float>(value_);
    case VarType::Double: return std::get<double>(value_);
    case VarType::Boolean: return std::get<bool>(value_) ? -1 : 0;
    case VarType::String: return numberOfString(std::get<std::string>(value_));
    case VarType::Array: break;
    }
    raise(13);
}

bool Variant::toBool() const {
    switch (type()) {
    case VarType::Boolean: return std::get<bool>(value_);
    case VarType::String: {
        const std::string word = lcase(trim(std::get<std::string>(value_)));
        if (word == "true") return true;
        if (word == "false") return false;
        return numberOfString(std::get<std::string>(value_)) != 0;
    }
    default: return toDouble() != 0;
    }
}

std::string Variant::toString() const {
    switch (type()) {
    case VarType::Empty: return std::string();
    case VarType::Missing: raise(449);
    case VarType::Integer: return std::to_string(std::get<std::int16_t>(value_));
    case VarType::Long: return std::to_string(std::get<std::int32_t>(value_));
    case VarType::Single: return formatSingle(std::get<float>(value_));
    case VarType::Double: return formatDouble(std::get<double>(value_));
    case VarType::Boolean: return std::get<bool>(value_) ? "True" : "False";
    case VarType::String: return std::get<std::string>(value_);
    case VarType::Array: break;
    }
    raise(13);
}

VArray& Variant::array() {
    if (!isArray()) raise(13);
    return std::get<VArray>(value_);
}

const VArray& Variant::array() const {
    if (!isArray()) raise(13);
    return std::get<VArray>(value_);
}

bool Variant::operator==(const Variant& other) const { return value_ == other.value_; }

}  // namespace rt
