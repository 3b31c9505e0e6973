#include "remote/link_state.h"

#include <gtest/gtest.h>

namespace remote {
namespace {

const QString kGateway = QStringLiteral("kestram.invalid:8080");

LinkState filled(int shapeType, const RecordFields& fields, LinkState state = {}) {
    fillLinkState(state, shapeType, fields);
    return state;
}

TEST(LinkState, geochemistrySampleFillsKeyAndCoordinatesAndBuildsItsPage) {
    const LinkState s =
        filled(kPointShape,
               {{"ID", "7"}, {"LONGITUDE", "-47.25"}, {"N_LAB", "AB-123"}, {"LATITUDE", "-15.5"}});
    EXPECT_EQ(s.shapeKind, 21);
    EXPECT_EQ(s.recordKind, "GEOQUIMICA");
    EXPECT_EQ(s.key, "AB-123");
    EXPECT_EQ(s.first, "-15.5");
    EXPECT_EQ(s.second, "-47.25");
    EXPECT_TRUE(s.found);
    EXPECT_EQ(recordPageAddress(s, kGateway),
              "http:\\\\kestram.invalid:8080\\pls\\publico\\geoq.geoquimica.cadastro"
              "?p_amostra=AB-123&p_lat_dec=-15.5&p_long_dec=-47.25");
}

TEST(LinkState, laterTableRowsOverrideWhateverTheFieldOrder) {
    // KESTRAM comes first in the layer but is looked at after INDICE.
    LinkState s = filled(kPolygonShape, {{"KESTRAM", "S"}, {"INDICE", "SF-23"}, {"GRUPO", "G1"}});
    EXPECT_EQ(s.mapKind, "INDICE");
    EXPECT_EQ(s.first, "SF-23");
    EXPECT_EQ(s.second, "S");
    EXPECT_EQ(s.third, "G1");
    // PROJETO after SIGLA_UNID, INDICE after both.
    s = filled(kPolygonShape, {{"INDICE", "SF-22"}, {"SIGLA_UNID", "PP2"}, {"PROJETO", "P"}});
    EXPECT_EQ(s.mapKind, "INDICE");
    EXPECT_EQ(s.first, "SF-22");
    EXPECT_EQ(s.second, "N");
    // Point keys: CODIGO_OBJ is the last key row; LAT after LATITUDE, LON after LONG.
    s = filled(kPointShape, {{"CODIGO_OBJ", "R9"},
                             {"N_LAB", "Q1"},
                             {"LAT", "1"},
                             {"LATITUDE", "2"},
                             {"LON", "3"},
                             {"LONG", "4"}});
    EXPECT_EQ(s.recordKind, "RECMIN");
    EXPECT_EQ(s.key, "R9");
    EXPECT_EQ(s.first, "1");
    EXPECT_EQ(s.second, "3");
}

TEST(LinkState, fieldNamesAreComparedExactly) {
    const LinkState s =
        filled(kPointShape,
               {{"n_lab", "x"}, {"Latitude", "1"}, {"LONGITUDE ", "2"}, {"AFLORAMENTO", "3"}});
    EXPECT_FALSE(s.found);
    EXPECT_TRUE(s.recordKind.isEmpty());
    EXPECT_TRUE(s.key.isEmpty());
    EXPECT_TRUE(s.first.isEmpty());
}

TEST(LinkState, kindsAreClearedAtEveryRecordAndOtherSlotsOnlyByANewValue) {
    LinkState s = filled(kPointShape, {{"AFLORAMENT", "AF1"}, {"LAT", "-3"}, {"ORIGEM", "campo"}});
    s.found = false;
    // A second point record with a latitude only.
    fillLinkState(s, kPointShape, {{"LAT", "-4"}});
    EXPECT_TRUE(s.recordKind.isEmpty());
    EXPECT_EQ(s.key, "AF1");
    EXPECT_EQ(s.first, "-4");
    EXPECT_EQ(s.third, "campo");
    EXPECT_TRUE(s.found);
    // A polygon without code fields: the map kind of an earlier polygon goes too.
    s = filled(kPolygonShape, {{"SIGLA_UNID", "PP2"}});
    fillLinkState(s, kPolygonShape, {{"NOME", "x"}});
    EXPECT_TRUE(s.mapKind.isEmpty());
    EXPECT_EQ(s.first, "PP2");
    EXPECT_EQ(recordPageAddress(s, kGateway), std::nullopt);
}

TEST(LinkState, linesFillNothingAndPointFieldsMeanNothingOnPolygons) {
    const LinkState before = filled(kPolygonShape, {{"PROJETO", "Radam"}});
    LinkState s = before;
    s.found = false;
    fillLinkState(s, kLineShape, {{"N_LAB", "1"}, {"SIGLA_UNID", "X"}, {"LAT", "1"}});
    EXPECT_EQ(s.shapeKind, 22);
    EXPECT_TRUE(s.mapKind.isEmpty());
    EXPECT_FALSE(s.found);
    EXPECT_EQ(s.first, "Radam");

    s = filled(kPolygonShape, {{"N_LAB", "1"}, {"LATITUDE", "1"}});
    EXPECT_FALSE(s.found);
    EXPECT_TRUE(s.key.isEmpty());
    s = filled(kPointShape, {{"SIGLA_UNID", "1"}, {"KESTRAM", "S"}});
    EXPECT_FALSE(s.found);
    EXPECT_TRUE(s.second.isEmpty());
}

TEST(LinkState, originGroupAndFlagFieldsDoNotSetTheFoundFlag) {
    EXPECT_FALSE(filled(kPointShape, {{"ORIGEM", "a"}}).found);
    const LinkState s = filled(kPolygonShape, {{"GRUPO", "g"}, {"KESTRAM", "S"}});
    EXPECT_FALSE(s.found);
    EXPECT_EQ(s.second, "S");
    EXPECT_EQ(s.third, "g");
}

TEST(RecordPage, everyAddressByteForByte) {
    LinkState p;
    p.shapeKind = kPolygonShape;
    p.first = "PP2gm";
    p.second = "S";
    p.third = "7";
    p.mapKind = "GEOLOGIA";
    EXPECT_EQ(recordPageAddress(p, kGateway),
              "http:\\\\kestram.invalid:8080\\pls\\publico\\litoestratigrafia.litoestratigrafia"
              ".cadastro?p_sigla=PP2gm");
    p.mapKind = "PROJETO";
    EXPECT_EQ(recordPageAddress(p, kGateway),
              "http:\\\\kestram.invalid:8080\\pls\\publico\\projetos.projeto.cadastro"
              "?p_nmprojeto=PP2gm");
    p.mapKind = "INDICE";
    EXPECT_EQ(recordPageAddress(p, kGateway),
              "http:\\\\kestram.invalid:8080\\pls\\publico\\kestram.webmap.principal"
              "?p_brasil=N&p_cod_grupo=7&p_cod_mapa=PP2gm");
    p.second = "N";
    EXPECT_EQ(recordPageAddress(p, kGateway), std::nullopt);

    LinkState q;
    q.shapeKind = kPointShape;
    q.key = "K1";
    q.first = "-10.5";
    q.second = "-50.25";
    q.recordKind = "RECMIN";
    EXPECT_EQ(recordPageAddress(q, "gw"),
              "http:\\\\gw\\pls\\publico\\recmin.recursosminerais.cadastro?p_rec_min=K1"
              "&p_rm_posicao_n=-10.5&p_rm_posicao_e=-50.25");
    q.recordKind = "GEOCRONOLOGIA";
    EXPECT_EQ(recordPageAddress(q, "gw"),
              "http:\\\\gw\\pls\\publico\\geocron.geocronologia.cadastro"
              "?p_cod_amostra_geocron=K1&p_latitude=-10.5&p_longitude=-50.25");
    q.recordKind = "AFLORAMENTOS";
    EXPECT_EQ(recordPageAddress(q, "gw"),
              "http:\\\\gw\\pls\\publico\\aflora.afloramentos.cadastro"
              "?p_af_cod_afloramento=K1&p_af_latitude=-10.5&p_af_longitude=-50.25");
    // The kinds belong to their shape: a point with a map kind has no page.
    q.recordKind.clear();
    q.mapKind = "GEOLOGIA";
    EXPECT_EQ(recordPageAddress(q, "gw"), std::nullopt);
    q.recordKind = "AFLORAMENTO";  // the look-up's spelling has no page of its own
    EXPECT_EQ(recordPageAddress(q, "gw"), std::nullopt);
    EXPECT_EQ(recordPageAddress(LinkState{}, "gw"), std::nullopt);
}

TEST(IdentifyEnd, oneUnitHitOpensItsPageAndClearsTheFlag) {
    LinkState s = filled(kPolygonShape, {{"SIGLA_UNID", "NP1"}});
    EXPECT_EQ(finishIdentify(s, 1), IdentifyEnd::ShowRecordPage);
    EXPECT_FALSE(s.found);
    EXPECT_EQ(recordPageAddress(s, "gw"),
              "http:\\\\gw\\pls\\publico\\litoestratigrafia.litoestratigrafia.cadastro"
              "?p_sigla=NP1");
    // The flag is spent: the next end without a new field does nothing.
    EXPECT_EQ(finishIdentify(s, 1), IdentifyEnd::Nothing);
}

TEST(IdentifyEnd, sheetMarkedNotAvailableShowsTheMessage) {
    LinkState s = filled(kPolygonShape, {{"INDICE", "SB-22"}, {"KESTRAM", "N"}});
    EXPECT_EQ(finishIdentify(s, 1), IdentifyEnd::NotInDatabase);
    EXPECT_EQ(kNotInDatabaseMessage,
              QString::fromUtf8("Este mapa ainda não se encontra na base de dados do KESTRAM"));
    // An index sheet without its own flag is "N" too; with "S" it opens.
    s = filled(kPolygonShape, {{"INDICE", "SB-22"}});
    EXPECT_EQ(finishIdentify(s, 1), IdentifyEnd::NotInDatabase);
    s = filled(kPolygonShape, {{"INDICE", "SB-22"}, {"KESTRAM", "S"}});
    EXPECT_EQ(finishIdentify(s, 1), IdentifyEnd::ShowRecordPage);
    // Any other flag text: neither.
    s = filled(kPolygonShape, {{"SIGLA_UNID", "X"}, {"KESTRAM", "s"}});
    EXPECT_EQ(finishIdentify(s, 1), IdentifyEnd::Nothing);
}

TEST(IdentifyEnd, severalRecordsShowTheSearchButtonAndNothingFoundDoesNothing) {
    LinkState s = filled(kPolygonShape, {{"SIGLA_UNID", "X"}, {"KESTRAM", "N"}});
    EXPECT_EQ(finishIdentify(s, 3), IdentifyEnd::ShowSearchButton);
    EXPECT_FALSE(s.found);
    s = filled(kPolygonShape, {{"NOME", "x"}});
    EXPECT_EQ(finishIdentify(s, 1), IdentifyEnd::Nothing);
    EXPECT_EQ(finishIdentify(s, 5), IdentifyEnd::Nothing);
}

TEST(IdentifyEnd, singlePointOpensItsPageOnlyWithAKey) {
    LinkState s = filled(kPointShape, {{"N_LAB", "A1"}, {"LAT", "-1"}, {"LON", "-2"}});
    EXPECT_EQ(finishIdentify(s, 1), IdentifyEnd::ShowRecordPage);
    ASSERT_TRUE(recordPageAddress(s, "gw").has_value());
    // Coordinates only: the key of an earlier sample must not open its page.
    fillLinkState(s, kPointShape, {{"LAT", "-5"}, {"LON", "-6"}});
    EXPECT_EQ(finishIdentify(s, 1), IdentifyEnd::Nothing);
    // An empty key field leads nowhere.
    s = filled(kPointShape, {{"CODIGO", ""}});
    EXPECT_EQ(finishIdentify(s, 1), IdentifyEnd::Nothing);
}

TEST(RecordSearch, eachLineTestGivesItsAddress) {
    struct Case {
        const char* line;
        int shape;
        const char* kind;
        const char* address;
    };
    const Case cases[] = {
        {"N_LAB : 123", 21, "GEOQUIMICA",
         "http:\\\\gw\\pls\\vorn\\kestram.geoquimica.cadastro?p_amostra= 123"},
        {"CODIGO : C-9", 21, "GEOCRONOLOGIA",
         "http:\\\\gw\\pls\\vorn\\kestram.geocronologia.cadastro?p_cod_amostra_geocron= C-9"},
        {"CODIGO_OBJ : 44", 21, "RECMIN",
         "http:\\\\gw\\pls\\vorn\\kestram.recursosminerais.cadastro?p_rec_min= 44"},
        {"COD_AFLORAMENTO : AF", 21, "AFLORAMENTO",
         "http:\\\\gw\\pls\\vorn\\kestram.afloramento.cadastro?p_af_cod_afloramento= AF"},
        {"SIGLA_UNID : PP2gm", 23, "GEOLOGIA",
         "http:\\\\gw\\pls\\vorn\\kestram.litoestratigrafia.cadastro?p_sigla= PP2gm"},
        {"PROJETO : Radam", 23, "PROJETO",
         "http:\\\\gw\\pls\\vorn\\kestram.projeto.cadastro?p_nmprojeto= Radam"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        const auto found = searchRecord(LinkState{}, {"ID : 1", c.line, "AREA : 2.5"}, "gw");
        ASSERT_TRUE(found.has_value());
        EXPECT_EQ(found->address, c.address);
        EXPECT_EQ(found->state.shapeKind, c.shape);
        EXPECT_EQ(c.shape == 21 ? found->state.recordKind : found->state.mapKind, c.kind);
        EXPECT_EQ(found->state.first, QString(c.line).section(':', 1));
    }
}

TEST(RecordSearch, laterMatchesOverrideAndOtherSlotsStay) {
    LinkState s = filled(kPointShape, {{"N_LAB", "old"}, {"LAT", "-1"}, {"LON", "-2"}});
    const auto found =
        searchRecord(s, {"SIGLA_UNID : PP2", "N_LAB : 9:30", "NOME : x", "CODIGO_OBJ : 5"}, "gw");
    ASSERT_TRUE(found.has_value());
    EXPECT_EQ(found->state.recordKind, "RECMIN");
    EXPECT_EQ(found->state.first, " 5");
    EXPECT_EQ(found->state.key, "old");
    EXPECT_EQ(found->state.second, "-2");
    // The value is everything after the first colon, later colons included.
    const auto colon = searchRecord(s, {"N_LAB : 9:30"}, "gw");
    ASSERT_TRUE(colon.has_value());
    EXPECT_EQ(colon->state.first, " 9:30");
}

TEST(RecordSearch, fieldNameCodigoMustBeExactAndNoMatchGivesNothing) {
    EXPECT_EQ(searchRecord(LinkState{}, {"CODIGO2 : 1", "COD : 2", "codigo : 3", "ID : 4"}, "gw"),
              std::nullopt);
    EXPECT_EQ(searchRecord(LinkState{}, {}, "gw"), std::nullopt);
    // "CODIGO_OBJ" begins with "CODIGO" but is its own rule.
    const auto found = searchRecord(LinkState{}, {"CODIGO_OBJ : 1"}, "gw");
    ASSERT_TRUE(found.has_value());
    EXPECT_EQ(found->state.recordKind, "RECMIN");
}

}  // namespace
}  // namespace remote
