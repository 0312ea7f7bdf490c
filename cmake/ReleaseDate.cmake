# The release date of this version, as CHANGELOG.md gives it in the
# version's heading ("## 1.2.0.0 — 2026-12-08"): the one place the date is
# written. Sets
#   ORVANE_RELEASE_DATE          2026-12-08     (manual pages, AppStream)
#   ORVANE_RELEASE_EPOCH         seconds since 1970 at 12:00 UTC that day
#                                (what reproducible builds take as
#                                SOURCE_DATE_EPOCH, see scripts/package-deb.sh)
#   ORVANE_RELEASE_DATE_RFC2822  Tue, 08 Dec 2026 12:00:00 +0000 (Debian changelog)
set(_changelog "${PROJECT_SOURCE_DIR}/CHANGELOG.md")
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${_changelog}")
file(STRINGS "${_changelog}" _headings REGEX "^## " ENCODING UTF-8)
set(ORVANE_RELEASE_DATE "")
foreach(_heading IN LISTS _headings)
  string(REPLACE "." "\\." _version "${PROJECT_VERSION}")
  if(_heading MATCHES "^## ${_version}[^0-9].*([0-9][0-9][0-9][0-9])-([0-9][0-9])-([0-9][0-9])")
    set(ORVANE_RELEASE_DATE "${CMAKE_MATCH_1}-${CMAKE_MATCH_2}-${CMAKE_MATCH_3}")
    set(_y "${CMAKE_MATCH_1}")
    set(_m "${CMAKE_MATCH_2}")
    set(_d "${CMAKE_MATCH_3}")
    break()
  endif()
endforeach()
if(NOT ORVANE_RELEASE_DATE)
  message(FATAL_ERROR "CHANGELOG.md has no heading \"## ${PROJECT_VERSION} — YYYY-MM-DD\" for this version")
endif()

# Days since 1970-01-01 of a civil date (the proleptic Gregorian calendar).
string(REGEX REPLACE "^0" "" _m "${_m}")
string(REGEX REPLACE "^0" "" _d "${_d}")
if(_m LESS_EQUAL 2)
  math(EXPR _y "${_y} - 1")
  math(EXPR _mp "${_m} + 9")
else()
  math(EXPR _mp "${_m} - 3")
endif()
math(EXPR _era "${_y} / 400")
math(EXPR _yoe "${_y} - ${_era} * 400")
math(EXPR _doy "(153 * ${_mp} + 2) / 5 + ${_d} - 1")
math(EXPR _doe "${_yoe} * 365 + ${_yoe} / 4 - ${_yoe} / 100 + ${_doy}")
math(EXPR _days "${_era} * 146097 + ${_doe} - 719468")
math(EXPR ORVANE_RELEASE_EPOCH "${_days} * 86400 + 43200")

# string(TIMESTAMP) formats SOURCE_DATE_EPOCH when it is set.
set(_saved "$ENV{SOURCE_DATE_EPOCH}")
set(ENV{SOURCE_DATE_EPOCH} "${ORVANE_RELEASE_EPOCH}")
string(TIMESTAMP ORVANE_RELEASE_DATE_RFC2822 "%a, %d %b %Y %H:%M:%S +0000" UTC)
set(ENV{SOURCE_DATE_EPOCH} "${_saved}")
