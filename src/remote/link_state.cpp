#include "remote/link_state.h"

#include <array>

namespace remote {

const QString kNotInDatabaseMessage =
    QStringLiteral("Este mapa ainda não se encontra na base de dados do KESTRAM");

namespace {

// The value of the last field named exactly `name`; nothing without one.
const QString* fieldValue(const RecordFields& fields, QLatin1StringView name) {
    const QString* value = nullptr;
    for (const auto& [fieldName, fieldText] : fields) {
        if (fieldName == name) value = &fieldText;
    }
    return value;
}

void fillPoint(LinkState& state, const RecordFields& fields) {
    struct KeyField {
        QLatin1StringView field;
        QLatin1StringView kind;
    };
    static constexpr std::array<KeyField, 4> keys = {{
        {QLatin1StringView("N_LAB"), QLatin1StringView("GEOQUIMICA")},
        {QLatin1StringView("CODIGO"), QLatin1StringView("GEOCRONOLOGIA")},
        {QLatin1StringView("AFLORAMENT"), QLatin1StringView("AFLORAMENTOS")},
        {QLatin1StringView("CODIGO_OBJ"), QLatin1StringView("RECMIN")},
    }};
    for (const KeyField& k : keys) {
        if (const QString* v = fieldValue(fields, k.field)) {
            state.key = *v;
            state.recordKind = k.kind;
            state.found = true;
        }
    }
    for (const char* name : {"LATITUDE", "LAT"}) {
        if (const QString* v = fieldValue(fields, QLatin1StringView(name))) {
            state.first = *v;
            state.found = true;
        }
    }
    for (const char* name : {"LONGITUDE", "LONG", "LON"}) {
        if (const QString* v = fieldValue(fields, QLatin1StringView(name))) {
            state.second = *v;
            state.found = true;
        }
    }
    if (const QString* v = fieldValue(fields, QLatin1StringView("ORIGEM"))) state.third = *v;
}

void fillPolygon(LinkState& state, const RecordFields& fields) {
    struct CodeField {
        QLatin1StringView field;
        QLatin1StringView kind;
        QLatin1StringView available;
    };
    static constexpr std::array<CodeField, 3> codes = {{
        {QLatin1StringView("SIGLA_UNID"), QLatin1StringView("GEOLOGIA"), QLatin1StringView("S")},
        {QLatin1StringView("PROJETO"), QLatin1StringView("PROJETO"), QLatin1StringView("S")},
        {QLatin1StringView("INDICE"), QLatin1StringView("INDICE"), QLatin1StringView("N")},
    }};
    for (const CodeField& c : codes) {
        if (const QString* v = fieldValue(fields, c.field)) {
            state.first = *v;
            state.mapKind = c.kind;
            state.second = c.available;
            state.found = true;
        }
    }
    if (const QString* v = fieldValue(fields, QLatin1StringView("GRUPO"))) state.third = *v;
    // After the codes, so a sheet's own flag decides over the index's "N".
    if (const QString* v = fieldValue(fields, QLatin1StringView("KESTRAM"))) state.second = *v;
}

QString pageBase(const QString& gatewayLine) {
    return QStringLiteral("http:\\\\") + gatewayLine;
}

}  // namespace

void fillLinkState(LinkState& state, int shapeType, const RecordFields& fields) {
    state.shapeKind = shapeType;
    state.recordKind.clear();
    state.mapKind.clear();
    if (shapeType == kPointShape) {
        fillPoint(state, fields);
    } else if (shapeType == kPolygonShape) {
        fillPolygon(state, fields);
    }
}

std::optional<QString> recordPageAddress(const LinkState& s, const QString& gatewayLine) {
    QString path;
    if (s.shapeKind == kPolygonShape) {
        if (s.mapKind == u"GEOLOGIA") {
            path = QStringLiteral(
                       "\\pls\\publico\\litoestratigrafia.litoestratigrafia.cadastro"
                       "?p_sigla=") +
                   s.first;
        } else if (s.mapKind == u"PROJETO") {
            path =
                QStringLiteral("\\pls\\publico\\projetos.projeto.cadastro?p_nmprojeto=") + s.first;
        } else if (s.mapKind == u"INDICE" && s.second == u"S") {
            path = QStringLiteral(
                       "\\pls\\publico\\kestram.webmap.principal?p_brasil=N"
                       "&p_cod_grupo=") +
                   s.third + QStringLiteral("&p_cod_mapa=") + s.first;
        }
    } else if (s.shapeKind == kPointShape) {
        // Every point page takes the key, then the latitude and the longitude.
        struct PointPage {
            QLatin1StringView kind;
            QLatin1StringView keyPath;
            QLatin1StringView latitude;
            QLatin1StringView longitude;
        };
        using L = QLatin1StringView;
        static constexpr std::array<PointPage, 4> pages = {{
            {L("RECMIN"), L("\\pls\\publico\\recmin.recursosminerais.cadastro?p_rec_min="),
             L("&p_rm_posicao_n="), L("&p_rm_posicao_e=")},
            {L("GEOQUIMICA"), L("\\pls\\publico\\geoq.geoquimica.cadastro?p_amostra="),
             L("&p_lat_dec="), L("&p_long_dec=")},
            {L("GEOCRONOLOGIA"),
             L("\\pls\\publico\\geocron.geocronologia.cadastro?p_cod_amostra_geocron="),
             L("&p_latitude="), L("&p_longitude=")},
            {L("AFLORAMENTOS"),
             L("\\pls\\publico\\aflora.afloramentos.cadastro?p_af_cod_afloramento="),
             L("&p_af_latitude="), L("&p_af_longitude=")},
        }};
        for (const PointPage& page : pages) {
            if (s.recordKind == page.kind) {
                path = page.keyPath + s.key + page.latitude + s.first + page.longitude + s.second;
            }
        }
    }
    if (path.isEmpty()) return std::nullopt;
    return pageBase(gatewayLine) + path;
}

IdentifyEnd finishIdentify(LinkState& state, int recordCount) {
    if (!state.found) return IdentifyEnd::Nothing;
    state.found = false;
    if (recordCount >= 2) return IdentifyEnd::ShowSearchButton;
    if (recordCount != 1) return IdentifyEnd::Nothing;
    if (state.shapeKind == kPointShape && !state.recordKind.isEmpty() && !state.key.isEmpty()) {
        return IdentifyEnd::ShowRecordPage;
    }
    if (state.second == u"S") return IdentifyEnd::ShowRecordPage;
    if (state.second == u"N") return IdentifyEnd::NotInDatabase;
    return IdentifyEnd::Nothing;
}

namespace {

// A "Busca Kestram" line test and what a matching line sets.
struct LineRule {
    enum class Test { Holds, FieldIs, BeginsWith };
    Test test;
    QLatin1StringView text;
    int shape;
    QLatin1StringView kind;
    QLatin1StringView path;

    bool matches(const QString& line) const {
        switch (test) {
            case Test::Holds:
                return line.contains(text);
            case Test::FieldIs:  // the attribute window writes "FIELD : value"
                return line.startsWith(text) &&
                       QStringView(line).sliced(text.size()).startsWith(QLatin1StringView(" : "));
            case Test::BeginsWith:
                return line.startsWith(text);
        }
        return false;
    }
};

using T = LineRule::Test;
using L = QLatin1StringView;
// In order: a later match overrides an earlier one.
constexpr std::array<LineRule, 6> kLineRules = {{
    {T::Holds, L("N_LAB"), kPointShape, L("GEOQUIMICA"),
     L("\\pls\\vorn\\kestram.geoquimica.cadastro?p_amostra=")},
    {T::FieldIs, L("CODIGO"), kPointShape, L("GEOCRONOLOGIA"),
     L("\\pls\\vorn\\kestram.geocronologia.cadastro?p_cod_amostra_geocron=")},
    {T::BeginsWith, L("CODIGO_OBJ"), kPointShape, L("RECMIN"),
     L("\\pls\\vorn\\kestram.recursosminerais.cadastro?p_rec_min=")},
    {T::Holds, L("COD_AFLORAMENTO"), kPointShape, L("AFLORAMENTO"),
     L("\\pls\\vorn\\kestram.afloramento.cadastro?p_af_cod_afloramento=")},
    {T::Holds, L("SIGLA_UNID"), kPolygonShape, L("GEOLOGIA"),
     L("\\pls\\vorn\\kestram.litoestratigrafia.cadastro?p_sigla=")},
    {T::Holds, L("PROJETO"), kPolygonShape, L("PROJETO"),
     L("\\pls\\vorn\\kestram.projeto.cadastro?p_nmprojeto=")},
}};

}  // namespace

std::optional<RecordSearch> searchRecord(const LinkState& state, const QStringList& lines,
                                         const QString& gatewayLine) {
    const LineRule* found = nullptr;
    QString value;
    for (const QString& line : lines) {
        const LineRule* match = nullptr;
        for (const LineRule& rule : kLineRules) {
            if (rule.matches(line)) match = &rule;
        }
        if (!match) continue;
        found = match;
        const qsizetype colon = line.indexOf(QLatin1Char(':'));
        value = colon >= 0 ? line.mid(colon + 1) : QString();
    }
    if (!found) return std::nullopt;

    RecordSearch result{state, pageBase(gatewayLine) + found->path + value};
    result.state.shapeKind = found->shape;
    (found->shape == kPointShape ? result.state.recordKind : result.state.mapKind) = found->kind;
    result.state.first = value;
    return result;
}

}  // namespace remote
