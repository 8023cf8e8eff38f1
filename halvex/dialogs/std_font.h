// The standard font object that the font dialog reads and changes: a face
// name, a size in points and the style. Bold and Weight are one property
// seen two ways: setting Bold gives the weight 700 or 400, and a weight
// above 550 reads as bold. A new font is the forms' default font.
#pragma once

#include <cstdint>
#include <string>

namespace halvex {

class StdFont {
public:
    const std::string& Name() const { return name_; }
    void Name(std::string name) { name_ = std::move(name); }
    double Size() const { return size_; }
    void Size(double points) { size_ = points; }
    bool Bold() const { return weight_ > 550; }
    void Bold(bool bold) { weight_ = bold ? 700 : 400; }
    bool Italic() const { return italic_; }
    void Italic(bool italic) { italic_ = italic; }
    bool Underline() const { return underline_; }
    void Underline(bool underline) { underline_ = underline; }
    bool Strikethrough() const { return strikethrough_; }
    void Strikethrough(bool strikethrough) { strikethrough_ = strikethrough; }
    std::int16_t Weight() const { return weight_; }
    void Weight(std::int16_t weight) { weight_ = weight; }

private:
    std::string name_ = "Sans Serif";
    double size_ = 8.0;
    std::int16_t weight_ = 400;
    bool italic_ = false;
    bool underline_ = false;
    bool strikethrough_ = false;
};

}  // namespace halvex
