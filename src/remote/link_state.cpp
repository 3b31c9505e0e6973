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
        if (s.recordKind == u"RECMIN") {
            path = QStringLiteral("\\pls\\publico\\recmin.recursosminerais.cadastro?p_rec_min=") +
                   s.key + QStringLiteral("&p_rm_posicao_n=") + s.first +
                   QStringLiteral("&p_rm_posicao_e=") + s.second;
        } else if (s.recordKind == u"GEOQUIMICA") {
            path = QStringLiteral("\\pls\\publico\\geoq.geoquimica.cadastro?p_amostra=") + s.key +
                   QStringLiteral("&p_lat_dec=") + s.first + QStringLiteral("&p_long_dec=") +
                   s.second;
        } else if (s.recordKind == u"GEOCRONOLOGIA") {
            path = QStringLiteral(
                       "\\pls\\publico\\geocron.geocronologia.cadastro"
                       "?p_cod_amostra_geocron=") +
                   s.key + QStringLiteral("&p_latitude=") + s.first +
                   QStringLiteral("&p_longitude=") + s.second;
        } else if (s.recordKind == u"AFLORAMENTOS") {
            path = QStringLiteral(
                       "\\pls\\publico\\aflora.afloramentos.cadastro"
                       "?p_af_cod_afloramento=") +
                   s.key + QStringLiteral("&p_af_latitude=") + s.first +
                   QStringLiteral("&p_af_longitude=") + s.second;
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

std::optional<RecordSearch> searchRecord(const LinkState& state, const QStringList& lines,
                                         const QString& gatewayLine) {
    struct Match {
        int shape;
        QLatin1StringView kind;
        QLatin1StringView path;
    };
    const Match geoquimica{
        kPointShape, QLatin1StringView("GEOQUIMICA"),
        QLatin1StringView("\\pls\\vorn\\kestram.geoquimica.cadastro?p_amostra=")};
    const Match geocronologia{
        kPointShape, QLatin1StringView("GEOCRONOLOGIA"),
        QLatin1StringView("\\pls\\vorn\\kestram.geocronologia.cadastro?p_cod_amostra_geocron=")};
    const Match recmin{
        kPointShape, QLatin1StringView("RECMIN"),
        QLatin1StringView("\\pls\\vorn\\kestram.recursosminerais.cadastro?p_rec_min=")};
    const Match afloramento{
        kPointShape, QLatin1StringView("AFLORAMENTO"),
        QLatin1StringView("\\pls\\vorn\\kestram.afloramento.cadastro?p_af_cod_afloramento=")};
    const Match geologia{
        kPolygonShape, QLatin1StringView("GEOLOGIA"),
        QLatin1StringView("\\pls\\vorn\\kestram.litoestratigrafia.cadastro?p_sigla=")};
    const Match projeto{kPolygonShape, QLatin1StringView("PROJETO"),
                        QLatin1StringView("\\pls\\vorn\\kestram.projeto.cadastro?p_nmprojeto=")};

    const Match* found = nullptr;
    QString value;
    for (const QString& line : lines) {
        const Match* match = nullptr;
        if (line.contains(u"N_LAB")) match = &geoquimica;
        if (line.startsWith(u"CODIGO : ")) match = &geocronologia;
        if (line.startsWith(u"CODIGO_OBJ")) match = &recmin;
        if (line.contains(u"COD_AFLORAMENTO")) match = &afloramento;
        if (line.contains(u"SIGLA_UNID")) match = &geologia;
        if (line.contains(u"PROJETO")) match = &projeto;
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
