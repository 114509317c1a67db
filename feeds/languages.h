// The languages a feed's channel can name, and their codes.
#pragma once

#include <cstdint>
#include <string>

enum class TLanguages : uint8_t {
  langAF, langSQ, langEU, langBE, langBG, langCA, langZH_CN, langZH_TW, langHR, langCS, langDA, langNL, langNL_BE,
  langNL_NL, langEN, langEN_AU, langEN_BZ, langEN_CA, langEN_IE, langEN_JM, langEN_NZ, langEN_PH, langEN_ZA,
  langEN_TT, langEN_GB, langEN_US, langEN_ZW, langET, langFO, langFI, langFR, langFR_BE, langFR_CA, langFR_FR,
  langFR_LU, langFR_MC, langFR_CH, langGL, langGD, langDE, langDE_AT, langDE_DE, langDE_LI, langDE_LU, langDE_CH,
  langEL, langHAW, langHU, langIS, langIN, langGA, langIT, langIT_IT, langIT_CH, langJA, langKO, langMK, langNO,
  langPL, langPT, langPT_BR, langPT_PT, langRO, langRO_MO, langRO_RP, langRU, langRU_MO, langRU_RU, langSR, langSK,
  langSL, langES, langES_AR, langES_BO, langES_CL, langES_CO, langES_CR, langES_DO, langES_EC, langES_SV, langES_GT,
  langES_HN, langES_MX, langES_NI, langES_PA, langES_PY, langES_PE, langES_PR, langES_ES, langES_UY, langES_VE,
  langSV, langSV_FI, langSV_SE, langTR, langUK, langX
};

// The number of languages with a code: every value but langX, which stands for a code outside the table.
constexpr int LanguageCodeCount = 96;

// The lower-case code of a language ("zh-cn" for langZH_CN); empty for langX.
std::string LanguageCode(TLanguages language);
