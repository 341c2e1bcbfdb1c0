vellomir_add_test(tst_btree LIBS btree)
