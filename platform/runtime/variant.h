// Tagged values of the original language: rt::Variant holds one value of
// Integer, Long, Single, Double, Boolean, String or Array kind, or nothing
// (Empty), or the marker of an optional argument that was not passed
// (Missing). rt::VArray is its array: 1 or 2 dimensions with their own lower
// and upper bounds.
//
// Conversions follow the original language: whole-number conversions round
// half to even and raise error 6 out of range, text is read as a number in
// the invariant number text (numbertext.h), a value of the wrong kind raises
// error 13, Boolean True is -1.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <variant>
#include <vector>

namespace rt {

enum class VarType : std::uint8_t {
    Empty,
    Missing,
    Integer,  // int16
    Long,     // int32
    Single,   // float
    Double,
    Boolean,
    String,
    Array
};

class Variant;

// An array of Variants: unallocated, or 1 or 2 dimensions with per-dimension
// lower and upper bounds. Its element type (Empty meaning "Variant
// elements") gives fresh elements their zero value (0, "" or Empty) and
// stays with the array through redim, so a String array remains one. It is
// a value: copying copies the elements. Elements are stored with the first
// index running fastest.
class VArray {
public:
    explicit VArray(VarType elementType = VarType::Empty);
    VArray(const VArray&);
    VArray(VArray&&) noexcept;
    VArray& operator=(const VArray&);
    VArray& operator=(VArray&&) noexcept;
    ~VArray();

    VarType elementType() const { return elementType_; }

    // Fresh elements over lb..ub (and lb2..ub2); the old elements are gone.
    // ub may be lb - 1 (an allocated, empty dimension); below that error 9.
    // Error 7 when the array would be too large.
    void redim(std::int32_t lb, std::int32_t ub);
    void redim(std::int32_t lb1, std::int32_t ub1, std::int32_t lb2, std::int32_t ub2);

    // New bounds keeping the elements whose indices lie in both the old and
    // the new bounds; the others start at the zero value. The number of
    // dimensions may not change, and of a 2-D array only the last dimension
    // may (error 9 otherwise). On an unallocated array it is a plain redim.
    void redimPreserve(std::int32_t lb, std::int32_t ub);
    void redimPreserve(std::int32_t lb1, std::int32_t ub1, std::int32_t lb2, std::int32_t ub2);

    // Back to unallocated.
    void erase();

    bool isAllocated() const { return dimensions_ > 0; }
    int dimensions() const { return dimensions_; }

    // Bounds of dimension dim (1 or 2): error 9 when unallocated or dim is
    // not one of its dimensions.
    std::int32_t lbound(int dim = 1) const;
    std::int32_t ubound(int dim = 1) const;

    // The element at i (1-D) or (i, j) (2-D): error 9 outside the bounds or
    // with the wrong number of indices.
    Variant& at(std::int32_t i);
    const Variant& at(std::int32_t i) const;
    Variant& at(std::int32_t i, std::int32_t j);
    const Variant& at(std::int32_t i, std::int32_t j) const;

    // Number of elements (0 when unallocated).
    std::size_t count() const;

    // Same element type, dimensions, bounds and elements.
    bool operator==(const VArray& other) const;

private:
    std::size_t offset(std::int32_t i) const;
    std::size_t offset(std::int32_t i, std::int32_t j) const;

    VarType elementType_;
    int dimensions_ = 0;
    std::int32_t lb_[2] = {0, 0};
    std::int32_t ub_[2] = {-1, -1};
    std::vector<Variant> elements_;
};

class Variant {
public:
    Variant() = default;  // Empty
    Variant(std::int16_t value) : value_(value) {}
    Variant(std::int32_t value) : value_(value) {}  // note: a plain int literal makes a Long
    Variant(float value) : value_(value) {}
    Variant(double value) : value_(value) {}
    Variant(bool value) : value_(value) {}
    Variant(std::string value) : value_(std::move(value)) {}
    Variant(const char* value) : value_(std::string(value ? value : "")) {}
    Variant(VArray value) : value_(std::move(value)) {}

    // The marker of an optional argument that was not passed.
    static Variant missing();

    // The zero value of a type: 0 of the numeric types, False, "", an
    // unallocated Variant array for Array, Empty for Empty and Missing.
    static Variant zeroOf(VarType type);

    VarType type() const { return static_cast<VarType>(value_.index()); }
    bool isEmpty() const { return type() == VarType::Empty; }
    bool isMissing() const { return type() == VarType::Missing; }
    // Integer, Long, Single or Double (not Boolean, not a numeric string).
    bool isNumeric() const;
    bool isString() const { return type() == VarType::String; }
    bool isArray() const { return type() == VarType::Array; }

    // Integer: numbers rounded half to even, error 6 out of range; a string
    // read as a number (error 13 when it is not one, "1.5" -> 2); Empty 0;
    // True -1, False 0; arrays error 13; Missing error 449.
    std::int16_t toInteger() const;
    // Long: as toInteger with the Long range.
    std::int32_t toLong() const;
    // Single: error 6 when the value is too large for a float.
    float toSingle() const;
    double toDouble() const;
    // Numbers: non-zero is True; strings "True"/"False" (any case) or a
    // number; Empty False; else error 13.
    bool toBool() const;
    // Numbers in the invariant number text, "True"/"False", Empty "";
    // arrays error 13; Missing error 449.
    std::string toString() const;

    // The array held: error 13 when the value is not an array.
    VArray& array();
    const VArray& array() const;

    // Same type and same value (0 and -0 are equal, NaN is not).
    bool operator==(const Variant& other) const;

private:
    struct MissingTag {
        bool operator==(const MissingTag&) const { return true; }
    };
    // The alternatives are in VarType order: index() is the type.
    std::variant<std::monostate, MissingTag, std::int16_t, std::int32_t, float, double, bool,
                 std::string, VArray>
        value_;
};

inline std::size_t VArray::count() const { return elements_.size(); }

}  // namespace rt
