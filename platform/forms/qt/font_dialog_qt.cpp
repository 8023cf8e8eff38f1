#include "platform/forms/qt/font_dialog_qt.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QFontComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPixmap>
#include <QPushButton>
#include <QVBoxLayout>

#include "platform/forms/qt/convert.h"

namespace forms::qt {

namespace {

constexpr int kStandardSizes[] = {8, 9, 10, 11, 12, 14, 16, 18, 20, 22, 24, 26, 28, 36, 48, 72};
// The largest size the dialog takes without CF_LIMITSIZE, points.
constexpr double kLargestSize = 1638.0;

struct NamedColor {
    const char* name;
    int red, green, blue;
};
// The sixteen colours of the desktop's font dialog.
constexpr NamedColor kTextColors[] = {
    {QT_TRANSLATE_NOOP("FontChooserDialog", "Black"), 0, 0, 0},
    {QT_TRANSLATE_NOOP("FontChooserDialog", "Maroon"), 128, 0, 0},
    {QT_TRANSLATE_NOOP("FontChooserDialog", "Green"), 0, 128, 0},
    {QT_TRANSLATE_NOOP("FontChooserDialog", "Olive"), 128, 128, 0},
    {QT_TRANSLATE_NOOP("FontChooserDialog", "Navy"), 0, 0, 128},
    {QT_TRANSLATE_NOOP("FontChooserDialog", "Purple"), 128, 0, 128},
    {QT_TRANSLATE_NOOP("FontChooserDialog", "Teal"), 0, 128, 128},
    {QT_TRANSLATE_NOOP("FontChooserDialog", "Grey"), 128, 128, 128},
    {QT_TRANSLATE_NOOP("FontChooserDialog", "Silver"), 192, 192, 192},
    {QT_TRANSLATE_NOOP("FontChooserDialog", "Red"), 255, 0, 0},
    {QT_TRANSLATE_NOOP("FontChooserDialog", "Lime"), 0, 255, 0},
    {QT_TRANSLATE_NOOP("FontChooserDialog", "Yellow"), 255, 255, 0},
    {QT_TRANSLATE_NOOP("FontChooserDialog", "Blue"), 0, 0, 255},
    {QT_TRANSLATE_NOOP("FontChooserDialog", "Fuchsia"), 255, 0, 255},
    {QT_TRANSLATE_NOOP("FontChooserDialog", "Aqua"), 0, 255, 255},
    {QT_TRANSLATE_NOOP("FontChooserDialog", "White"), 255, 255, 255},
};

QString translated(const char* text) { return QCoreApplication::translate("FontChooserDialog", text); }

QIcon swatch(std::int32_t rgb) {
    QPixmap pixmap(16, 12);
    pixmap.fill(QColor(rgb & 0xFF, (rgb >> 8) & 0xFF, (rgb >> 16) & 0xFF));
    return QIcon(pixmap);
}

QString sizeText(double points) { return QLocale::c().toString(points, 'g', 6); }

}  // namespace

FontChooserDialog::FontChooserDialog(const ChooseFontRecord& record, QWidget* parent)
    : QDialog(parent), record_(record), initial_(initialFontChoice(record)) {
    setWindowTitle(translated("Font"));
    const bool effects = (record.flags & dlg::CF_EFFECTS) != 0;
    const bool limited = (record.flags & dlg::CF_LIMITSIZE) != 0;

    auto* faceLabel = new QLabel(translated("&Font:"), this);
    auto* styleLabel = new QLabel(translated("Font st&yle:"), this);
    auto* sizeLabel = new QLabel(translated("&Size:"), this);

    face_ = new QFontComboBox(this);
    QFontComboBox::FontFilters filters = QFontComboBox::AllFonts;
    if ((record.flags & (dlg::CF_SCALABLEONLY | dlg::CF_TTONLY)) != 0) filters |= QFontComboBox::ScalableFonts;
    if ((record.flags & dlg::CF_FIXEDPITCHONLY) != 0) filters |= QFontComboBox::MonospacedFonts;
    face_->setFontFilters(filters);
    if (!initial_.faceName.empty()) face_->setCurrentFont(QFont(toQString(initial_.faceName)));
    faceLabel->setBuddy(face_);

    auto* style = new QWidget(this);
    auto* styleLayout = new QVBoxLayout(style);
    styleLayout->setContentsMargins(0, 0, 0, 0);
    bold_ = new QCheckBox(translated("&Bold"), style);
    italic_ = new QCheckBox(translated("&Italic"), style);
    bold_->setChecked(initial_.bold);
    italic_->setChecked(initial_.italic);
    styleLayout->addWidget(bold_);
    styleLayout->addWidget(italic_);
    styleLabel->setBuddy(bold_);

    size_ = new QComboBox(this);
    size_->setEditable(true);
    size_->setInsertPolicy(QComboBox::NoInsert);
    for (int points : kStandardSizes) {
        if (!limited || (points >= record.nSizeMin && points <= record.nSizeMax)) {
            size_->addItem(QString::number(points));
        }
    }
    size_->setEditText(sizeText(initial_.pointSize));
    sizeLabel->setBuddy(size_);

    auto* grid = new QGridLayout;
    grid->addWidget(faceLabel, 0, 0);
    grid->addWidget(styleLabel, 0, 1);
    grid->addWidget(sizeLabel, 0, 2);
    grid->addWidget(face_, 1, 0, Qt::AlignTop);
    grid->addWidget(style, 1, 1, Qt::AlignTop);
    grid->addWidget(size_, 1, 2, Qt::AlignTop);
    controls_ = {{1088, faceLabel}, {1089, styleLabel}, {dlg::FONT_SIZE_LABEL, sizeLabel},
                 {1136, face_},     {1137, style},      {dlg::FONT_SIZE_BOX, size_}};

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);

    if (effects) {
        auto* group = new QGroupBox(translated("Effects"), this);
        auto* effectsLayout = new QHBoxLayout(group);
        strikeOut_ = new QCheckBox(translated("Stri&keout"), group);
        underline_ = new QCheckBox(translated("&Underline"), group);
        strikeOut_->setChecked(initial_.strikeOut);
        underline_->setChecked(initial_.underline);
        auto* colorLabel = new QLabel(translated("&Colour:"), group);
        color_ = new QComboBox(group);
        int current = -1;
        for (const NamedColor& c : kTextColors) {
            const std::int32_t rgb = c.red | (c.green << 8) | (c.blue << 16);
            if (rgb == initial_.color) current = color_->count();
            color_->addItem(swatch(rgb), translated(c.name), QVariant(rgb));
        }
        if (current < 0) {
            current = color_->count();
            color_->addItem(swatch(initial_.color), translated("Custom"), QVariant(initial_.color));
        }
        color_->setCurrentIndex(current);
        colorLabel->setBuddy(color_);
        effectsLayout->addWidget(strikeOut_);
        effectsLayout->addWidget(underline_);
        effectsLayout->addWidget(colorLabel);
        effectsLayout->addWidget(color_);
        layout->addWidget(group);
        controls_.insert({{1040, strikeOut_}, {1041, underline_}, {1091, colorLabel}, {1139, color_}});
    }

    auto* sampleGroup = new QGroupBox(translated("Sample"), this);
    auto* sampleLayout = new QVBoxLayout(sampleGroup);
    sample_ = new QLabel(QStringLiteral("AaBbYyZz"), sampleGroup);
    sample_->setAlignment(Qt::AlignCenter);
    sample_->setMinimumHeight(48);
    sampleLayout->addWidget(sample_);
    layout->addWidget(sampleGroup);

    buttons_ = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    layout->addWidget(buttons_);
    connect(buttons_, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons_, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto refresh = [this] { updateSample(); };
    connect(face_, &QFontComboBox::currentFontChanged, this, refresh);
    connect(bold_, &QCheckBox::toggled, this, refresh);
    connect(italic_, &QCheckBox::toggled, this, refresh);
    connect(size_, &QComboBox::currentTextChanged, this, refresh);
    if (effects) {
        connect(strikeOut_, &QCheckBox::toggled, this, refresh);
        connect(underline_, &QCheckBox::toggled, this, refresh);
        connect(color_, &QComboBox::currentIndexChanged, this, refresh);
    }
    updateSample();
}

bool FontChooserDialog::sizeAcceptable(double* points) const {
    bool ok = false;
    const double value = QLocale::c().toDouble(size_->currentText().trimmed(), &ok);
    if (!ok || value <= 0.0 || value > kLargestSize) return false;
    if ((record_.flags & dlg::CF_LIMITSIZE) != 0 && (value < record_.nSizeMin || value > record_.nSizeMax)) {
        return false;
    }
    if (points != nullptr) *points = value;
    return true;
}

void FontChooserDialog::updateSample() {
    FontChoice c = choice();
    QFont font(toQString(c.faceName));
    font.setPointSizeF(c.pointSize);
    font.setBold(c.bold);
    font.setItalic(c.italic);
    font.setUnderline(c.underline);
    font.setStrikeOut(c.strikeOut);
    sample_->setFont(font);
    QPalette palette = sample_->palette();
    palette.setColor(QPalette::WindowText,
                     QColor(c.color & 0xFF, (c.color >> 8) & 0xFF, (c.color >> 16) & 0xFF));
    sample_->setPalette(palette);
    buttons_->button(QDialogButtonBox::Ok)->setEnabled(sizeAcceptable(nullptr));
}

FontChoice FontChooserDialog::choice() const {
    FontChoice c = initial_;
    c.faceName = toModelText(face_->currentFont().family());
    double points = 0.0;
    if (sizeAcceptable(&points)) c.pointSize = points;
    c.bold = bold_->isChecked();
    c.italic = italic_->isChecked();
    if (strikeOut_ != nullptr) c.strikeOut = strikeOut_->isChecked();
    if (underline_ != nullptr) c.underline = underline_->isChecked();
    if (color_ != nullptr) c.color = color_->currentData().toInt();
    return c;
}

QWidget* FontChooserDialog::control(std::int32_t id) const {
    auto it = controls_.find(id);
    return it == controls_.end() ? nullptr : it->second;
}

void FontChooserDialog::done(int result) {
    if (result == QDialog::Accepted && !sizeAcceptable(nullptr)) return;
    if (beforeDone) beforeDone(result);
    QDialog::done(result);
}

}  // namespace forms::qt
