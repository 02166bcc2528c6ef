// A service that fails on purpose, to show how failures come back.
// The service XML block below is this service's definition.
/**__SERVICE XML BEGIN__
<service name="demo_fail" class_name="CFail">
  <description>Fails on purpose: its second statement reads a table that does not exist,
  so the order added by the first one is rolled back.</description>
  <output>
    <dataset name="nothing"/>
  </output>
  <statement><![CDATA[
    INSERT INTO orders (customer_id, item, quantity, price) VALUES (1, 'Never kept', 1, 1.0)
  ]]></statement>
  <statement dataset="nothing"><![CDATA[
    SELECT * FROM no_such_table
  ]]></statement>
</service>
__SERVICE XML END__**/

// The service server runs the statements of the definition above; the class only names
// the service in listings.
class CFail {};
