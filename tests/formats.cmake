# The photo formats, with HEIF and AVIF files made through libheif's encoders.
vellomir_add_test(tst_formats LIBS vellomir_core PkgConfig::LIBHEIF)
