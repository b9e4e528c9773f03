# The maker's home page and the update service's base address (https only).
set(MARLINET_HOME_URL "https://www.quenwick.com" CACHE STRING "The maker's home page")
set(MARLINET_UPDATE_URL "https://api.quenwick.com" CACHE STRING "Base address of the update service")
