# The maker's values shown by the About and donations windows. Set them when configuring, e.g.
#   cmake --preset windows -DKOVALT_MAKER_BTC_ADDRESS=...
# The defaults are placeholders: nobody can mistake them for a place to send money to.
set(KOVALT_MAKER_BTC_ADDRESS "PLACEHOLDER-BTC-ADDRESS-NOT-REAL-0"
    CACHE STRING "Maker's BTC receiving address")
set(KOVALT_MAKER_NMC_ADDRESS "PLACEHOLDER-NMC-ADDRESS-NOT-REAL-0"
    CACHE STRING "Maker's NMC receiving address")
set(KOVALT_MAKER_LTC_ADDRESS "PLACEHOLDER-LTC-ADDRESS-NOT-REAL-0"
    CACHE STRING "Maker's LTC receiving address")
set(KOVALT_MAKER_DASH_ADDRESS "PLACEHOLDER-DASH-ADDRESS-NOTREAL-0"
    CACHE STRING "Maker's DASH receiving address")
set(KOVALT_MAKER_VTC_ADDRESS "PLACEHOLDER-VTC-ADDRESS-NOT-REAL-0"
    CACHE STRING "Maker's VTC receiving address")
set(KOVALT_MAKER_WEBSITE "www.example.org"
    CACHE STRING "Maker's website address")
set(KOVALT_MAKER_EMAIL "maker@example.invalid"
    CACHE STRING "Maker's contact e-mail address")

# The values become C++ string literals and the address boxes are sized for one word of 34
# characters, so a value that would break either is refused here rather than in the compiler.
foreach(coin BTC NMC LTC DASH VTC)
  set(address "${KOVALT_MAKER_${coin}_ADDRESS}")
  string(LENGTH "${address}" length)
  if(NOT length EQUAL 34 OR NOT address MATCHES "^[A-Za-z0-9-]+$")
    message(FATAL_ERROR "KOVALT_MAKER_${coin}_ADDRESS must be one word of 34 letters, digits "
                        "or hyphens; it is \"${address}\" (${length} characters)")
  endif()
endforeach()
foreach(name WEBSITE EMAIL)
  if(NOT KOVALT_MAKER_${name} MATCHES "^[A-Za-z0-9._%+:/@~#?=&-]+$")
    message(FATAL_ERROR "KOVALT_MAKER_${name} must be one word without quotes or backslashes; "
                        "it is \"${KOVALT_MAKER_${name}}\"")
  endif()
endforeach()

configure_file(${CMAKE_CURRENT_LIST_DIR}/maker_values.h.in
               ${CMAKE_BINARY_DIR}/generated/about/maker_values.h @ONLY)
# Included before the targets are defined: every target of the tree finds the header.
include_directories(${CMAKE_BINARY_DIR}/generated)
