# What the shipped data.dat holds. The device list starts with the simulated
# camera pair, so that the program runs without a camera attached; add a real
# camera's pair with `orbisk-datadat add-device`.
set(ORBISK_BRANDING_CAPTION "orbisk")
set(ORBISK_BRANDING_LINK "https://example.org/orbisk")
set(ORBISK_BRANDING_LABEL "orbisk document capture")
