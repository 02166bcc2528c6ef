// Customers of one city: a query with an input parameter.
// The service XML block below is this service's definition.
/**__SERVICE XML BEGIN__
<service name="demo_customers_by_city" class_name="CCustomersByCity">
  <description>The customers of one city, and how many there are.</description>
  <input>
    <variable name="city" type="string" required="1"/>
  </input>
  <output>
    <variable name="customer_count"/>
    <dataset name="customers"/>
  </output>
  <statement dataset="customers"><![CDATA[
    SELECT id, name, city, since FROM customers WHERE city = :city ORDER BY id
  ]]></statement>
  <statement variables="1"><![CDATA[
    SELECT COUNT(*) AS customer_count FROM customers WHERE city = :city
  ]]></statement>
</service>
__SERVICE XML END__**/

// The service server runs the statements of the definition above; the class only names
// the service in listings.
class CCustomersByCity {};
