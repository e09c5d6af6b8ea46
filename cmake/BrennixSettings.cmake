# Build-time settings of the stub, with the shipped values as defaults. They fill the string
# table (res/Strings.rc.in) and app/BuildSettings.h. The packer can change the string-table
# ones in a built stub without rebuilding it.
set(BRENNIX_APPLICATION_NAME "Lumetra Installer" CACHE STRING "Application name (string 1)")
set(BRENNIX_PROGRAM_TYPE "x86" CACHE STRING "Processor mode of the payload: x86, x64, x32Only or anything else for any (string 0)")
set(BRENNIX_REQUIRED_DISK_MB "100" CACHE STRING "Free space needed on the temp drive, MB (string 103)")
set(BRENNIX_NET20 "-1" CACHE STRING "Minimum service pack of .NET 2.0; negative: not acceptable (string 138)")
set(BRENNIX_NET30 "-1" CACHE STRING "Minimum service pack of .NET 3.0 (string 139)")
set(BRENNIX_NET35 "-1" CACHE STRING "Minimum service pack of .NET 3.5 (string 140)")
set(BRENNIX_NET40_CLIENT "-1" CACHE STRING "Minimum level of .NET 4.0 client profile (string 141)")
set(BRENNIX_NET40_FULL "0" CACHE STRING "Minimum level of .NET 4.0 full (string 142)")
set(BRENNIX_NET45_CLIENT "0" CACHE STRING "Minimum level of .NET 4.5 client profile (string 143)")
set(BRENNIX_NET45_FULL "0" CACHE STRING "Minimum level of .NET 4.5 full (string 144)")
set(BRENNIX_ADMIN_REQUIRED "1" CACHE STRING "Administrator rights required unless exactly 0 (string 145)")
set(BRENNIX_NET46_FULL "0" CACHE STRING "Minimum level of .NET 4.6 full (string 147)")
set(BRENNIX_NET472_FULL "0" CACHE STRING ".NET 4.7.2 full acceptable when not negative (string 148)")
set(BRENNIX_EVERYONE_FULL_ACCESS "0" CACHE STRING "Working folder open to everyone for writing too when not 0 (string 160; see README)")
set(BRENNIX_HELP_PAGE "http://www.example.com/Installer/Help" CACHE STRING "The maker's installer help page")

# A resource-script string literal doubles its quotes and escapes its backslashes.
function(brennix_rc_literal out value)
    string(REPLACE "\\" "\\\\" value "${value}")
    string(REPLACE "\"" "\"\"" value "${value}")
    set(${out} "${value}" PARENT_SCOPE)
endfunction()

# Writes the generated resource script pieces and headers into ${dir}.
function(brennix_configure_settings dir)
    foreach(name APPLICATION_NAME PROGRAM_TYPE REQUIRED_DISK_MB NET20 NET30 NET35 NET40_CLIENT NET40_FULL
                 NET45_CLIENT NET45_FULL ADMIN_REQUIRED NET46_FULL NET472_FULL EVERYONE_FULL_ACCESS)
        brennix_rc_literal(RC_${name} "${BRENNIX_${name}}")
    endforeach()
    configure_file(${PROJECT_SOURCE_DIR}/res/Strings.rc.in ${dir}/res/Strings.rc @ONLY)
    configure_file(${PROJECT_SOURCE_DIR}/res/Version.rc.in ${dir}/res/Version.rc @ONLY)
    string(REPLACE "\\" "\\\\" BRENNIX_HELP_PAGE "${BRENNIX_HELP_PAGE}")
    string(REPLACE "\"" "\\\"" BRENNIX_HELP_PAGE "${BRENNIX_HELP_PAGE}")
    configure_file(${PROJECT_SOURCE_DIR}/app/BuildSettings.h.in ${dir}/app/BuildSettings.h @ONLY)
endfunction()
