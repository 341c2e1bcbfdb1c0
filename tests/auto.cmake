vellomir_add_test(tst_btree LIBS btree)
# The worker's tests make photo records, whose header lives with the render library.
vellomir_add_test(tst_autothread LIBS vellomir_auto vellomir_render)
