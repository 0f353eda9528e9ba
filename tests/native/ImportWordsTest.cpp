#include "import/FlowWords.h"

#include <gtest/gtest.h>

#include <string>

#include "import/Folding.h"

namespace {

using namespace imports;

TEST(ImportWordsTest, FlowCellsInSevenLanguages) {
    const struct {
        const char* value;
        Flow flow;
    } cases[] = {
        {"", Flow::None},
        {"  ", Flow::None},
        {"-", Flow::None},
        {"none", Flow::None},
        {"NO", Flow::None},
        {"false", Flow::None},
        {"0", Flow::None},
        {"0.0", Flow::None},
        {"keine", Flow::None},
        {"Nein", Flow::None},
        {"ninguno", Flow::None},
        {"aucun", Flow::None},
        {"nessuno", Flow::None},
        {"brak", Flow::None},
        {"nenhum", Flow::None},
        {"Não", Flow::None},
        {"spotting", Flow::Spotting},
        {"Schmierblutung", Flow::Spotting},
        {"manchado", Flow::Spotting},
        {"tache", Flow::Spotting},
        {"perdite", Flow::Spotting},
        {"Plamienie", Flow::Spotting},
        {"escape", Flow::Spotting},
        {"light", Flow::Bleeding},
        {"heavy", Flow::Bleeding},
        {"stark", Flow::Bleeding},
        {"x", Flow::Bleeding},
        {"yes", Flow::Bleeding},
        {"true", Flow::Bleeding},
        {"3", Flow::Bleeding},
        {"obfite", Flow::Bleeding},
        {"médio", Flow::Bleeding},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value);
        EXPECT_EQ(ReadFlowValue(c.value), c.flow);
    }
}

TEST(ImportWordsTest, AnAppsBleedingLevelCountsZeroAsSpotting) {
    EXPECT_EQ(ReadFlowLevel(""), Flow::None);
    EXPECT_EQ(ReadFlowLevel("0"), Flow::Spotting);
    EXPECT_EQ(ReadFlowLevel("1"), Flow::Bleeding);
    EXPECT_EQ(ReadFlowLevel("3"), Flow::Bleeding);
}

TEST(ImportWordsTest, EventsNamingPeriodsOrSpotting) {
    const struct {
        const char* value;
        EventKind kind;
    } cases[] = {
        {"Menstruation", EventKind::Period},
        {"Period", EventKind::Period},
        {"MenstrualFlow", EventKind::Period},
        {"Periode", EventKind::Period},
        {"Regla", EventKind::Period},
        {"Règles", EventKind::Period},
        {"Mestruazioni", EventKind::Period},
        {"Miesiączka", EventKind::Period},
        {"Menstruação", EventKind::Period},
        {"Spotting", EventKind::Spotting},
        {"Schmierblutung", EventKind::Spotting},
        {"Ovulation", EventKind::Other},
        {"Fertile period", EventKind::Other},
        {"periodo fertile", EventKind::Other},
        {"Temperature", EventKind::Other},
        {"", EventKind::Other},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value);
        EXPECT_EQ(ReadEventKind(c.value), c.kind);
    }
}

TEST(ImportWordsTest, HeadersNameWhatTheirColumnsHold) {
    using enum ColumnRole;
    const struct {
        const char* header;
        std::initializer_list<ColumnRole> roles;
    } cases[] = {
        {"Datum", {Date}},
        {"STÄRKE", {Flow}},
        {"Start date", {Start, Date}},
        {"period_start", {Start, Date, Flow}},
        {"cycle_length_days", {}},
        {"Length (days)", {Length}},
        {"Data de início", {Start, Date}},
        {"Fecha de inicio", {Start, Date}},
        {"Początek", {Start}},
        {"Koniec", {End}},
        {"Dauer", {Length}},
        {"Krwawienie", {Flow}},
        {"bleeding.value", {FlowLevel}},
        {"bleeding.exclude", {Exclude}},
        {"Kategorie", {Category}},
        {"Exported from the app on a Monday", {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.header);
        const ColumnRoles roles = ReadHeader(c.header);
        for (const ColumnRole role :
             {Date, Start, End, Length, Flow, FlowLevel, Exclude, Category}) {
            const bool expected = std::find(c.roles.begin(), c.roles.end(), role) != c.roles.end();
            EXPECT_EQ(roles.Has(role), expected) << static_cast<int>(role);
        }
    }
}

TEST(ImportWordsTest, FoldingLowersAndDropsDiacritics) {
    EXPECT_EQ(FoldText("  STÄRKE\xC2\xA0"), "starke");
    EXPECT_EQ(FoldText("PAŹDZIERNIK Łódź"), "pazdziernik lodz");
    EXPECT_EQ(FoldText("Straße Ÿ ÇÀ"), "strasse y ca");
    EXPECT_EQ(FoldText("日本"), "日本");
}

} // namespace
