#include "link/frame_codec.h"
#include "link/record_decoder.h"
#include "link/record_tables.h"

#include <vector>

// The press and its asphalt variant share one strength-test layout; the variants differ only
// in the data below (which materials take the method from the table, the size rules, and the
// subtypes whose load is sent in hundredths).

namespace vlr::link {
namespace {

struct PressBytes {
    int m;  // material
    int s;  // shape
    int t;  // test method
};

struct SizeRule {
    bool (*applies)(const PressBytes& b);
    const char* pattern;  // {A}, {B}, {C} stand for the three size words as decimal text
};

// clang-format off
const SizeRule cubeOrBrick{[](const PressBytes& b) { return b.m <= 4 && b.s == 0; }, "{A}x{B}"};
const SizeRule cylinder{[](const PressBytes& b) { return b.m <= 4 && b.s == 1; }, "диам. {A}; h={B}"};
const SizeRule brickCompression{[](const PressBytes& b) { return (b.m == 6 || b.m == 7) && b.t == 0; }, "{A}x{B}"};
const SizeRule bending{[](const PressBytes& b) { return b.m >= 6 && b.t == 1; }, "h= {A};b= {B}; L= {C}"};
const SizeRule binderCube{[](const PressBytes& b) { return b.m >= 8 && b.m <= 10 && b.s == 0; }, "{A}x{B}"};
const SizeRule binderBeam{[](const PressBytes& b) { return b.m >= 8 && b.s == 1; }, "шир. {A};h= {B}; L= {C}"};
const SizeRule asphaltShape0{[](const PressBytes& b) { return b.m == 5 && b.s == 0; }, "диам. {A};h= {B}"};
const SizeRule asphaltShape1{[](const PressBytes& b) { return b.m == 5 && b.s == 1; }, "диам. {A};h= {B}; L= {C}"};
const SizeRule asphaltShape2{[](const PressBytes& b) { return b.m == 5 && b.s == 2; }, "d= {A};h= {B}"};
const SizeRule slagBlock{[](const PressBytes& b) { return b.m == 11 && b.t == 0; }, "L= {C};шир.= {B}; h= {A}"};
const SizeRule aggregate{[](const PressBytes& b) { return b.m == 12 && b.t == 0; }, "d= {A}"};
// clang-format on

struct PressVariant {
    bool (*methodFromTable)(int material);
    const char* methodOverride;  // for the material overrideMaterial, or nullptr
    int overrideMaterial;
    std::vector<const SizeRule*> sizeRules;  // tried in order
    std::vector<int> loadInHundredths;       // subtypes whose load word is P × 100
};

const PressVariant& vtrVariant() {
    static const PressVariant variant{
        [](int m) { return m >= 5; },
        nullptr,
        -1,
        {&cubeOrBrick, &cylinder, &brickCompression, &bending, &binderCube, &binderBeam,
         &asphaltShape0, &asphaltShape1, &asphaltShape2, &slagBlock},
        {40}};
    return variant;
}

const PressVariant& vtraVariant() {
    static const PressVariant variant{
        [](int m) { return m == 5 || m == 8 || m == 9; },
        "Сдавливание по ГОСТ 9758",
        12,
        {&cubeOrBrick, &cylinder, &brickCompression, &bending, &binderCube, &binderBeam,
         &asphaltShape0, &asphaltShape1, &asphaltShape2, &aggregate, &slagBlock},
        {40, 41}};
    return variant;
}

QString sizeWord(const std::uint8_t* payload, int position) {
    return DecimalText(ScaledValue(ReadWord(payload, position), 10));
}

QString fillSizePattern(const char* pattern, const std::uint8_t* payload) {
    QString text = QString::fromUtf8(pattern);
    text.replace(QStringLiteral("{A}"), sizeWord(payload, 5));
    text.replace(QStringLiteral("{B}"), sizeWord(payload, 7));
    text.replace(QStringLiteral("{C}"), sizeWord(payload, 9));
    return text;
}

double load(const std::uint8_t* payload, int deviceSubType, const std::vector<int>& hundredths) {
    bool inHundredths = false;
    for (int subtype : hundredths)
        inHundredths = inHundredths || subtype == deviceSubType;
    return ScaledValue(ReadWord(payload, 11), inHundredths ? 100 : 10);
}

RecordFields strengthFields(const std::uint8_t* payload, int deviceSubType,
                            const PressVariant& variant) {
    const PressBytes b{payload[2], payload[3], payload[4]};

    QString method =
        variant.methodFromTable(b.m) ? tableText(pressMethods(), b.t) : QStringLiteral("Сжатие");
    if (variant.methodOverride && b.m == variant.overrideMaterial)
        method = QString::fromUtf8(variant.methodOverride);

    QString shape = QStringLiteral("");  // empty, not null, for materials that have no shape
    if (b.m <= 2)
        shape = tableText(pressShapes(), b.s);

    QVariant size;  // null when no rule matches
    for (const SizeRule* rule : variant.sizeRules) {
        if (rule->applies(b)) {
            size = fillSizePattern(rule->pattern, payload);
            break;
        }
    }

    const QString strength = (b.m == 8 && b.t == 1)
                                 ? QStringLiteral(" - ")
                                 : DecimalText(ScaledValue(ReadWord(payload, 13), 100));
    const QString rate = DecimalText(ScaledValue(ReadWord(payload, 18), 1000)) + QLatin1Char(' ') +
                         tableText(pressRateUnits(), payload[17]);

    return {
        {QStringLiteral("PF1"), double(payload[0])},
        {QStringLiteral("PF2"), double(payload[1])},
        {QStringLiteral("PT1"), tableText(pressMaterials(), b.m)},
        {QStringLiteral("PT7"), method},
        {QStringLiteral("PT3"), shape},
        {QStringLiteral("PT2"), size},
        {QStringLiteral("PF3"), load(payload, deviceSubType, variant.loadInHundredths)},
        {QStringLiteral("PT8"), strength},
        {QStringLiteral("PF5"), ScaledValue(payload[15], 100)},
        {QStringLiteral("PT9"), rate},
        {QStringLiteral("PDateTime"), storedDateTime(payload, 20)},
    };
}

}  // namespace

RecordFields vtrFields(const std::uint8_t* payload, int deviceSubType) {
    return strengthFields(payload, deviceSubType, vtrVariant());
}

RecordFields vtraStrengthFields(const std::uint8_t* payload, int deviceSubType) {
    return strengthFields(payload, deviceSubType, vtraVariant());
}

RecordFields vtraAsphaltFields(const std::uint8_t* payload, int deviceSubType) {
    const int method = payload[4];
    const QString strength =
        method == 4 ? DecimalText(ScaledValue(ReadWord(payload, 13), 100)) : QStringLiteral("");
    return {
        {QStringLiteral("PF1"), double(payload[0])},
        {QStringLiteral("PF2"), double(payload[1])},
        {QStringLiteral("PT1"), tableText(pressMaterials(), payload[2])},
        {QStringLiteral("PT7"), tableText(pressMethods(), method)},
        {QStringLiteral("PT3"), QStringLiteral("Цилиндр")},
        {QStringLiteral("PT2"), fillSizePattern("диам. {A}; h={B}", payload)},
        {QStringLiteral("PF3"), load(payload, deviceSubType, vtraVariant().loadInHundredths)},
        {QStringLiteral("PT8"), strength},
        {QStringLiteral("PF5"), ScaledValue(ReadWord(payload, 15), 1000)},
        {QStringLiteral("PT9"), QStringLiteral("50")},
        {QStringLiteral("PF10"), ScaledValue(ReadWord(payload, 18), 100)},
        {QStringLiteral("PDateTime"), storedDateTime(payload, 20)},
    };
}

}  // namespace vlr::link
