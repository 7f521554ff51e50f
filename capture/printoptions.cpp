// The stored print options.
#include "capture/printoptions.h"

#include <cmath>
#include <cstdio>
#include <memory>

namespace gmbx {

PrintOptions g_printOptions;

namespace {

// The Print group in its stored order, for a reader and a writer alike.
template <class V, class O>
void VisitPrintGroup(V& v, O& o) {
    v.Int("PrnInvertBw", o.invert);
    v.Int("PrnBwOnly", o.bwOnly);
    v.Int("PrnBlackLevel", o.blackLevel);
    v.Int("PrnDrawFrame", o.frame);
    v.Int("PrnCenterImage", o.center);
    v.Int("PrnUnits", o.units);
    v.Thousandths("PrnLeftMarg", o.leftMargin);
    v.Thousandths("PrnRightMarg", o.rightMargin);
    v.Thousandths("PrnTopMarg", o.topMargin);
    v.Thousandths("PrnBotMarg", o.bottomMargin);
    v.Int("PrnPgOrient", o.orientation);
    v.Int("PrnAutoFit", o.autoFit);
    v.Int("PrnAFitTooLarge", o.fitTooLarge);
    v.Thousandths("PrnScale", o.scale);
    v.Int("PrnUsePrnRes", o.usePrinterRes);
}

struct PrintReader {
    ValueStore& values;
    void Int(const char* name, int32_t& field) {
        uint32_t v;
        if (values.GetDword(name, &v)) field = int32_t(v);
    }
    void Thousandths(const char* name, double& field) {
        uint32_t v;
        if (values.GetDword(name, &v)) field = ValueFromThousandths(int32_t(v));
    }
};

struct PrintWriter {
    ValueStore& values;
    void Int(const char* name, int32_t field) { values.PutDword(name, uint32_t(field)); }
    void Thousandths(const char* name, double field) {
        values.PutDword(name, uint32_t(ThousandthsFromValue(field)));
    }
};

}  // namespace

double PrintOptions::MillimetresPerUnit() const {
    if (units == 0) return 10.0;
    if (units == 1) return 1.0;
    return 25.4;
}

int32_t MeasureUnitsFromText(const char* text) {
    if (!text) return 1;
    return int32_t(DecimalValue(text));
}

int32_t ThousandthsFromValue(double value) {
    double v = std::trunc(value * 1000.0 + 0.1);
    if (!(v == v)) return 0;
    if (v > 2147483647.0) return 2147483647;
    if (v < -2147483648.0) return int32_t(-2147483647 - 1);
    return int32_t(v);
}

double ValueFromThousandths(int32_t stored) { return stored * 0.001; }

bool ReadPrintOptions(SettingsStore& store, PrintOptions& options, int32_t measureUnits) {
    options.units = measureUnits;
    std::unique_ptr<ValueStore> values = store.OpenForReading(kPrintGroup);
    if (!values) return false;
    PrintReader reader{*values};
    VisitPrintGroup(reader, options);
    options.loaded = 1;
    return true;
}

bool LoadPrintOptions(SettingsStore& store, PrintOptions& options, int32_t measureUnits) {
    if (options.loaded) return true;
    return ReadPrintOptions(store, options, measureUnits);
}

bool SavePrintOptions(SettingsStore& store, const PrintOptions& options) {
    long error = 0;
    std::unique_ptr<ValueStore> values = store.OpenForWriting(kPrintGroup, &error);
    if (!values) {
        std::printf("Error %ld creating registry key, print options not saved.\n", error);
        std::fflush(stdout);
        return false;
    }
    PrintWriter writer{*values};
    VisitPrintGroup(writer, options);
    return true;
}

}  // namespace gmbx
