# The Windows removal tests share the product's registry keys and Start Menu folder in the test
# prefix: one at a time.
foreach(test IN LISTS test_removal_win32_TESTS)
    set_tests_properties("${test}" PROPERTIES RESOURCE_LOCK tarvion-product)
endforeach()
